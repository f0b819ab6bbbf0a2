#include "files/qt/aboutdialog.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/text.h"

namespace klt {

namespace {

// A label drawn twice: a light copy one pixel to the lower right, then the
// text itself, so that it looks raised.
class ShadowLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setFont(font());
        const QRect r = contentsRect().adjusted(0, 0, -1, -1);
        const int flags = static_cast<int>(alignment()) | Qt::TextWordWrap;
        p.setPen(palette().color(QPalette::Light));
        p.drawText(r.translated(1, 1), flags, text());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, flags, text());
    }
    QSize sizeHint() const override { return QLabel::sizeHint() + QSize(1, 1); }
    QSize minimumSizeHint() const override { return QLabel::minimumSizeHint() + QSize(1, 1); }
};

QLabel* label(const char* name, QWidget* parent, Qt::Alignment alignment, bool bold)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(alignment);
    l->setWordWrap(true);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : AboutDialog(VersionInfo::ofProgram(), parent) {}

AboutDialog::AboutDialog(const VersionInfo& info, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TAbout_Form"));
    build(info);
}

void AboutDialog::build(const VersionInfo& info)
{
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imIcon"));
    icon->setFixedSize(32, 32);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));

    auto* lProductName = label("lProductName", this, Qt::AlignHCenter | Qt::AlignTop, true);
    auto* lDescription = new ShadowLabel(this);
    lDescription->setObjectName(QStringLiteral("lDescription"));
    lDescription->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lDescription->setWordWrap(true);
    QFont big = lDescription->font();
    big.setBold(true);
    big.setPixelSize(16);
    lDescription->setFont(big);
    auto* lCopyRight = label("lCopyRight", this, Qt::AlignHCenter | Qt::AlignBottom, false);
    auto* lVersion = label("lVersion", this, Qt::AlignHCenter, false);

    if (info.valid) {
        lVersion->setText(versionText(info.fileVersion()));
        lCopyRight->setText(info.legalCopyright + QLatin1Char('\n') + info.comments);
        lProductName->setText(info.productName);
        lDescription->setText(info.fileDescription);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("bOK"));
    ok->setDefault(true);
    ok->setFixedSize(ok->sizeHint().expandedTo(QSize(75, 25)));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Left strip 41 pixels wide with the icon at (3, 24).
    auto* iconStrip = new QVBoxLayout;
    iconStrip->setContentsMargins(3, 24, 6, 0);
    iconStrip->addWidget(icon);
    iconStrip->addStretch();

    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(5, 5, 5, 5);
    texts->addWidget(lProductName);
    texts->addWidget(lDescription);
    texts->addWidget(lCopyRight, 1);
    texts->addWidget(lVersion);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addLayout(iconStrip);
    top->addLayout(texts, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 7, 0, 8);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(top, 1);
    layout->addWidget(line);
    layout->addLayout(buttons);

    const QSize client(269, 179);
    setFixedSize(client.expandedTo(QSize(client.width(), layout->heightForWidth(client.width()))));
}

QString AboutDialog::versionText(const QString& fileVersion)
{
    const std::string v = fileVersion.toStdString();
    QString text;
    for (int k = 1; k <= 3; ++k) text += QString::fromStdString(wordAt(v, ".", k)) + QLatin1Char('.');
    text.chop(1);
    return QStringLiteral("Версия ") + text;
}

QString AboutDialog::captionFor(const QString& programFileName)
{
    const QString name = programFileName.section(QLatin1Char('.'), 0, 0);
    QString title = name.left(1) + name.mid(1).toLower();
    for (QChar& ch : title)
        if (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) ch = ch.toUpper();
    return QStringLiteral("О программе \"") + title + QLatin1Char('"');
}

void AboutDialog::showEvent(QShowEvent* event)
{
    setWindowTitle(captionFor(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

} // namespace klt
