#include "prize/prizedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "core/cp1251.h"
#include "core/prize.h"
#include "core/text.h"
#include "prize/phraseedit.h"

namespace klt {

namespace {

constexpr char kGroup[] = "TPrizeForm";

QSpinBox* spinEdit(const char* name, int minimum, int maximum, int value, QWidget* parent)
{
    auto* e = new QSpinBox(parent);
    e->setObjectName(QLatin1String(name));
    e->setRange(minimum, maximum);
    e->setValue(value);
    return e;
}

QString fromCp1251(const std::string& s)
{
    return QString::fromStdString(cp1251ToUtf8(s));
}

std::string toCp1251(const QString& s)
{
    return utf8ToCp1251(s.toUtf8().toStdString());
}

} // namespace

PrizeDialog::PrizeDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TPrizeForm"));
    setWindowTitle(QStringLiteral("Конкурс"));
    setModal(true);

    eFrase_ = new PhraseEdit(this);
    eFrase_->setObjectName(QStringLiteral("eFrase"));
    auto* lFrase = new QLabel(QStringLiteral("Ключевая фраза"), this);
    lFrase->setBuddy(eFrase_);

    rxsBadLetters_ = spinEdit("rxsBadLetters", 0, 999, 0, this);
    auto* lBad = new QLabel(QStringLiteral("Количество \"лишних\" букв"), this);
    lBad->setBuddy(rxsBadLetters_);

    cbLang_ = new QComboBox(this);
    cbLang_->setObjectName(QStringLiteral("cbLang"));
    cbLang_->addItems({QStringLiteral("Русский"), QStringLiteral("Латинский"), QStringLiteral("Оба")});
    auto* lLang = new QLabel(QStringLiteral("Алфавит"), this);
    lLang->setBuddy(cbLang_);

    auto* rows = new QGroupBox(QStringLiteral(" Диапазон строк "), this);
    rxMin_ = spinEdit("rxMin", 1, 250, 1, rows);
    rxMax_ = spinEdit("rxMax", 1, 250, 1, rows);
    auto* rowsLayout = new QGridLayout(rows);
    auto* lMin = new QLabel(QStringLiteral("Первая"), rows);
    auto* lMax = new QLabel(QStringLiteral("Последняя"), rows);
    lMin->setBuddy(rxMin_);
    lMax->setBuddy(rxMax_);
    rowsLayout->addWidget(lMin, 0, 0);
    rowsLayout->addWidget(rxMin_, 0, 1);
    rowsLayout->addWidget(lMax, 1, 0);
    rowsLayout->addWidget(rxMax_, 1, 1);

    cbMix_ = new QCheckBox(QStringLiteral("Перемешать фразу"), this);
    cbMix_->setObjectName(QStringLiteral("cbMix"));

    bOK_ = new QPushButton(QStringLiteral("OK"), this);
    bOK_->setObjectName(QStringLiteral("bOK"));
    bOK_->setDefault(true);
    button2_ = new QPushButton(QStringLiteral("Отменить"), this);
    button2_->setObjectName(QStringLiteral("Button2"));

    auto* middle = new QGridLayout;
    middle->setHorizontalSpacing(16);
    middle->addWidget(lBad, 0, 0);
    middle->addWidget(rxsBadLetters_, 1, 0);
    middle->addWidget(lLang, 0, 1);
    middle->addWidget(cbLang_, 1, 1);
    middle->addWidget(rows, 2, 0);
    middle->addWidget(cbMix_, 2, 1, Qt::AlignVCenter);
    middle->setColumnStretch(0, 1);
    middle->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bOK_);
    buttons->addWidget(button2_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lFrase);
    layout->addWidget(eFrase_);
    layout->addSpacing(4);
    layout->addLayout(middle);
    layout->addStretch();
    layout->addLayout(buttons);

    setFixedSize(sizeHint().expandedTo(QSize(303, 221)));

    connect(eFrase_, &QLineEdit::textChanged, this, &PrizeDialog::updateOkButton);
    connect(cbLang_, &QComboBox::currentIndexChanged, this,
            [this](int index) { eFrase_->setAlphabet(static_cast<Alphabet>(index)); });
    connect(bOK_, &QPushButton::clicked, this, &PrizeDialog::bOKClick);
    connect(button2_, &QPushButton::clicked, this, &QDialog::reject);

    loadSettings();
    updateOkButton();
}

QString PrizeDialog::settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           QCoreApplication::applicationName() + QStringLiteral(".INI");
}

bool PrizeDialog::run(Workspace& ws, CommandContext& ctx)
{
    ws_ = &ws;
    ctx_ = &ctx;
    eFrase_->setPhrase(fromCp1251(ws.doc.prizePhrase));
    // The band can reach the last row of the field as it is now.
    rxMax_->setMaximum(ws.doc.field().rowCount());
    rxMax_->setValue(rxMax_->maximum());
    updateOkButton();
    eFrase_->setFocus();
    const bool placed = exec() == QDialog::Accepted;
    ws_ = nullptr;
    ctx_ = nullptr;
    return placed;
}

void PrizeDialog::bOKClick()
{
    if (!ws_ || !ctx_ || !bOK_->isEnabled()) return;
    PrizeSettings s;
    s.firstRow = rxMin_->value();
    s.lastRow = rxMax_->value();
    s.decoys = rxsBadLetters_->value();
    s.alphabet = static_cast<Alphabet>(cbLang_->currentIndex());
    s.mix = cbMix_->isChecked();
    // The edit keeps the phrase unshuffled; confirmPrize stores it in the
    // document. When it does not fit, the message has been shown and the
    // dialog stays open for a shorter phrase or a wider band.
    if (confirmPrize(ws_->doc, *ctx_, toCp1251(eFrase_->text()), s)) accept();
}

void PrizeDialog::updateOkButton()
{
    bOK_->setEnabled(!trim(toCp1251(eFrase_->text())).empty());
}

void PrizeDialog::done(int result)
{
    saveSettings();
    QDialog::done(result);
}

void PrizeDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void PrizeDialog::loadSettings()
{
    QSettings ini(settingsFile(), QSettings::IniFormat);
    ini.beginGroup(QLatin1String(kGroup));
    bool ok = false;
    const int bad = ini.value(QStringLiteral("rxsBadLetters.Value")).toInt(&ok);
    if (ok) rxsBadLetters_->setValue(bad);
    const QVariant mix = ini.value(QStringLiteral("cbMix.Checked"));
    if (mix.isValid()) cbMix_->setChecked(mix.toBool());
    const int lang = ini.value(QStringLiteral("cbLang.ItemIndex")).toInt(&ok);
    if (ok && lang >= 0 && lang < cbLang_->count()) cbLang_->setCurrentIndex(lang);
    eFrase_->setAlphabet(static_cast<Alphabet>(cbLang_->currentIndex()));
}

void PrizeDialog::saveSettings() const
{
    QSettings ini(settingsFile(), QSettings::IniFormat);
    ini.beginGroup(QLatin1String(kGroup));
    ini.setValue(QStringLiteral("rxsBadLetters.Value"), rxsBadLetters_->value());
    ini.setValue(QStringLiteral("cbMix.Checked"), cbMix_->isChecked());
    ini.setValue(QStringLiteral("cbLang.ItemIndex"), cbLang_->currentIndex());
}

} // namespace klt
