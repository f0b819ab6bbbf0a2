#include "widgets/messagebox.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <algorithm>

namespace klt {

namespace {
MessageHook& hook()
{
    static MessageHook h;
    return h;
}
} // namespace

void setMessageHook(MessageHook h)
{
    hook() = std::move(h);
}

MessageButton messageBox(const QString& text, const QString& caption, MessageKind kind, int defaultIndex)
{
    QString body = text;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (hook()) return hook()(kind, body, caption);

    QMessageBox box(QApplication::activeWindow());
    // An empty title would show the program's name instead; a box without a
    // caption shows none.
    box.setWindowTitle(caption.isEmpty() ? QStringLiteral(" ") : caption);
    box.setText(body);
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (kind) {
    case MessageKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageKind::Question:
    case MessageKind::SystemQuestion:
        box.setIcon(QMessageBox::Question);
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case MessageKind::Information:
    case MessageKind::SystemInformation: box.setIcon(QMessageBox::Information); break;
    }
    if (kind == MessageKind::SystemQuestion || kind == MessageKind::SystemInformation)
        box.setWindowModality(Qt::ApplicationModal);
    box.setStandardButtons(buttons);
    // Short messages would give a box too narrow for its own caption.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(240, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1,
                      grid->columnCount());
    if (buttons & QMessageBox::Yes) {
        const QMessageBox::StandardButton order[3] = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        box.setDefaultButton(order[std::clamp(defaultIndex, 1, 3) - 1]);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageButton::Yes;
    case QMessageBox::No: return MessageButton::No;
    case QMessageBox::Cancel: return MessageButton::Cancel;
    default: return MessageButton::Ok;
    }
}

void informationBox(const QString& text, const QString& caption)
{
    messageBox(text, caption, MessageKind::Information);
}

void showErrorBox(const QString& text)
{
    QApplication::beep();
    messageBox(text, QStringLiteral("Ошибка"), MessageKind::Error);
}

void doneBox(const QString& text)
{
    messageBox(text + QStringLiteral("\r\nГотово!!!"), QString(), MessageKind::Information);
}

} // namespace klt
