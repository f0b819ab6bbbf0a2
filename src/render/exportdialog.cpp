#include "render/exportdialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/workspace.h"
#include "files/paths.h"
#include "render/programini.h"
#include "render/webpage.h"
#include "widgets/filedialogsafety.h"
#include "widgets/messagebox.h"

namespace klt {

namespace {
const QString kSection = QStringLiteral("TCopyForm");
const char* const kDefaultExtension[] = {".WMF", ".BMP", ".SVG", ".PDF", ".PNG", ".html"};
constexpr int kLastType = 5;
const ExportFormat kTypeFormat[] = {ExportFormat::Wmf, ExportFormat::Bmp, ExportFormat::Svg, ExportFormat::Pdf,
                                    ExportFormat::Png};

int defaultDigitsOfType(int type)
{
    return type == ExportDialog::HtmlPage ? kDefaultDigitPercent : defaultDigitPercent(kTypeFormat[type]);
}

QString digitKey(int type)
{
    return QStringLiteral("DigitPercent") + QLatin1String(kDefaultExtension[type]);
}

// A stored or typed height: 0 or 10..100.
int validDigitPercent(int v)
{
    return v <= 0 ? 0 : std::clamp(v, 10, 100);
}

// The digits' height in percent of the cell, where the lowest value, 0,
// reads "как в сетке": the grid's font as it is. 1..9 % would make no
// readable digit, so the arrows step over them and a typed one becomes 10.
class DigitSpin : public QSpinBox {
public:
    explicit DigitSpin(QWidget* parent) : QSpinBox(parent)
    {
        setRange(0, 100);
        setSingleStep(5);
        setSuffix(QStringLiteral(" % клетки"));
        setSpecialValueText(QStringLiteral("как в сетке"));
    }

    void stepBy(int steps) override
    {
        int to = value() + steps * singleStep();
        if (value() == 0 && steps > 0) to = 10 + (steps - 1) * singleStep();
        else if (to < 10) to = 0;
        setValue(std::min(to, 100));
    }

protected:
    QValidator::State validate(QString& input, int& pos) const override
    {
        const QValidator::State state = QSpinBox::validate(input, pos);
        if (state != QValidator::Acceptable) return state;
        const int v = valueFromText(input);
        return v > 0 && v < 10 ? QValidator::Intermediate : state;
    }

    void fixup(QString& input) const override
    {
        QSpinBox::fixup(input);
        bool ok = false;
        const int v = QString(input).remove(suffix()).trimmed().toInt(&ok);
        if (ok && v > 0 && v < 10) input = textFromValue(10) + suffix();
    }
};
} // namespace

ExportDialog::ExportDialog(std::function<PictureJob()> source, QWidget* parent)
    : QDialog(parent), source_(std::move(source))
{
    setObjectName(QStringLiteral("TCopyForm"));
    setWindowTitle(QStringLiteral("Копировать рисунок в буфер"));
    // A fixed dialog border: no resizing, no minimise or maximise buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    auto* whatBox = new QGroupBox(QStringLiteral(" Что сохранять/копировать "), this);
    whatBox->setObjectName(QStringLiteral("rgWhat"));
    rgWhat_ = radioGroup(whatBox, {QStringLiteral("Задание"), QStringLiteral("Ответы")});

    auto* typeBox = new QGroupBox(QStringLiteral(" Тип "), this);
    typeBox->setObjectName(QStringLiteral("rgType"));
    rgType_ = radioGroup(typeBox, {QStringLiteral("В виде  WMF - рисунка "), QStringLiteral("В виде BMP - рисунка "),
                                   QStringLiteral("В виде SVG - рисунка "), QStringLiteral("В виде PDF - документа "),
                                   QStringLiteral("В виде PNG - рисунка "), QStringLiteral("В виде HTML-страницы ")});
    rgType_->button(HtmlPage)->setToolTip(
        QStringLiteral("Страница, на которой задание решают в браузере: один файл, без интернета"));

    // The file-name edit stands to the right of the item "Файл".
    auto* fileBox = new QGroupBox(QStringLiteral(" Куда сохранять/копировать "), this);
    fileBox->setObjectName(QStringLiteral("rgFile"));
    rgFile_ = new QButtonGroup(this);
    auto* fileLayout = new QVBoxLayout(fileBox);
    auto* fileRow = new QHBoxLayout;
    auto* toFile = new QRadioButton(QStringLiteral("Файл"), fileBox);
    feFileName_ = new QLineEdit(fileBox);
    feFileName_->setObjectName(QStringLiteral("feFileName"));
    browse_ = new QToolButton(fileBox);
    browse_->setText(QStringLiteral("…"));
    fileRow->addWidget(toFile);
    fileRow->addWidget(feFileName_, 1);
    fileRow->addWidget(browse_);
    fileRow->setSpacing(2);
    auto* toClipboard = new QRadioButton(QStringLiteral("Буфер обмена"), fileBox);
    fileLayout->addLayout(fileRow);
    fileLayout->addWidget(toClipboard);
    rgFile_->addButton(toFile, ToFile);
    rgFile_->addButton(toClipboard, ToClipboard);

    cbCD_ = new QCheckBox(QStringLiteral("Корреция рисунка для CorelDraw"), this);
    cbCD_->setObjectName(QStringLiteral("cbCD"));
    cbCD_->setToolTip(QStringLiteral("Небольшое увеличение ячейки для совместимости с CorelDraw"));
    cbCD_->setChecked(true);
    cbDig_ = new QCheckBox(QStringLiteral("Отображать числа"), this);
    cbDig_->setObjectName(QStringLiteral("cbDig"));
    seDigits_ = new DigitSpin(this);
    seDigits_->setObjectName(QStringLiteral("seDigits"));
    seDigits_->setToolTip(QStringLiteral("Высота цифр в клетке; «как в сетке» — шрифт сетки без изменений"));
    auto* digitsLabel = new QLabel(QStringLiteral("Высота цифр:"), this);
    digitsLabel->setBuddy(seDigits_);
    auto* digitsRow = new QHBoxLayout;
    digitsRow->addWidget(digitsLabel);
    digitsRow->addWidget(seDigits_, 1);

    bOK_ = new QPushButton(QStringLiteral("OK"), this);
    bOK_->setObjectName(QStringLiteral("bOK"));
    bOK_->setDefault(true);
    button2_ = new QPushButton(QStringLiteral("Отменить"), this);
    button2_->setObjectName(QStringLiteral("Button2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bOK_);
    buttons->addWidget(button2_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(whatBox);
    layout->addWidget(typeBox);
    layout->addWidget(fileBox);
    layout->addWidget(cbCD_);
    layout->addWidget(cbDig_);
    layout->addLayout(digitsRow);
    layout->addStretch(1);
    layout->addLayout(buttons);

    for (QButtonGroup* g : {rgWhat_, rgType_, rgFile_})
        connect(g, &QButtonGroup::idClicked, this, &ExportDialog::updateExportControls);
    connect(feFileName_, &QLineEdit::textChanged, this, &ExportDialog::updateExportControls);
    connect(cbDig_, &QCheckBox::toggled, this, &ExportDialog::updateExportControls);
    connect(browse_, &QToolButton::clicked, this, &ExportDialog::browse);
    connect(bOK_, &QPushButton::clicked, this, &ExportDialog::bOKClick);
    // The Esc key and the window's close button cancel as this button does.
    connect(button2_, &QPushButton::clicked, this, &ExportDialog::reject);

    browser_ = [](const QString& current, QWidget* parent) {
        QFileDialog dlg(parent, QStringLiteral("Экспорт"), current,
                        QStringLiteral("Рисунки WMF(*.WMF);;Рисунки BMP(*.BMP);;Рисунки SVG(*.SVG);;"
                                       "Документы PDF(*.PDF);;Рисунки PNG(*.PNG);;Страницы HTML(*.html *.htm)"));
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        keepFromReadingFiles(dlg);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
        return dlg.selectedFiles().constFirst();
    };

    setWhat(Task);
    setType(WmfPicture);
    setTarget(ToFile);
    for (int t = 0; t <= kLastType; ++t) digitPercent_[t] = defaultDigitsOfType(t);
    digitsType_ = WmfPicture;
    seDigits_->setValue(digitPercent_[digitsType_]);
    // A fixed dialog: the designed client size, or what the fonts need.
    const QSize hint = sizeHint();
    setFixedSize(std::max(223, hint.width()), std::max(301, hint.height()));
}

QButtonGroup* ExportDialog::radioGroup(QGroupBox* box, const QStringList& items)
{
    auto* group = new QButtonGroup(this);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        layout->addWidget(b);
        group->addButton(b, i);
    }
    return group;
}

int ExportDialog::what() const
{
    return rgWhat_->checkedId();
}

int ExportDialog::type() const
{
    return rgType_->checkedId();
}

int ExportDialog::target() const
{
    return rgFile_->checkedId();
}

void ExportDialog::setWhat(int index)
{
    if (QAbstractButton* b = rgWhat_->button(index)) b->setChecked(true);
}

void ExportDialog::setType(int index)
{
    if (QAbstractButton* b = rgType_->button(index)) b->setChecked(true);
}

void ExportDialog::setTarget(int index)
{
    if (QAbstractButton* b = rgFile_->button(index)) b->setChecked(true);
}

void ExportDialog::followTypeWithDigits()
{
    const int now = std::clamp(type(), 0, kLastType);
    if (now == digitsType_) return;
    digitPercent_[digitsType_] = seDigits_->value();
    digitsType_ = now;
    seDigits_->setValue(digitPercent_[now]);
}

void ExportDialog::updateExportControls()
{
    followTypeWithDigits();
    // A web page is a file, of the task, drawn by the browser: the other
    // choices do not apply to it.
    const bool page = type() == HtmlPage;
    if (page) {
        setTarget(ToFile);
        setWhat(Task);
    }
    rgFile_->button(ToClipboard)->setEnabled(!page);
    rgWhat_->button(Answers)->setEnabled(!page);
    cbCD_->setEnabled(!page);
    const bool toFile = target() == ToFile;
    feFileName_->setEnabled(toFile);
    browse_->setEnabled(toFile);
    const bool answers = what() == Answers;
    cbDig_->setEnabled(answers);
    // The task always carries its numbers.
    if (!answers) cbDig_->setChecked(true);
    // Without numbers there are no digits to size.
    seDigits_->setEnabled(cbDig_->isChecked());
    bOK_->setEnabled((toFile && !feFileName_->text().trimmed().isEmpty()) || target() == ToClipboard);
}

void ExportDialog::browse()
{
    // The filter chosen there does not change the type.
    const QString name = browser_(feFileName_->text(), this);
    if (!name.isEmpty()) feFileName_->setText(name);
}

bool ExportDialog::exportPicture()
{
    const int pictureType = std::clamp(type(), 0, kLastType);
    // A name without an extension gets the type's, also for the clipboard.
    // A blank name stays blank: it would become a bare extension.
    QString name = feFileName_->text();
    if (!name.trimmed().isEmpty() && fileExtension(name.toStdString()).empty()) {
        name = QString::fromStdString(changeFileExt(name.toStdString(), kDefaultExtension[pictureType]));
        feFileName_->setText(name);
    }

    PictureJob job = source_();
    if (pictureType == HtmlPage) {
        try {
            followTypeWithDigits();
            writeWholeFile(name, puzzlePageHtml(job.field, puzzleTitle_, job.style, seDigits_->value()));
        } catch (const CommandError& e) {
            showErrorBox(QString::fromStdString(e.message));
            return false;
        }
        return true;
    }
    job.options.answers = what() == Answers;
    job.options.numbers = cbDig_->isChecked();
    job.options.correction = cbCD_->isChecked();
    followTypeWithDigits();
    job.options.digitPercent = seDigits_->value();
    try {
        // The type decides the content; only ".wmf" picks the 16-bit metafile.
        ExportFormat format = ExportFormat::Emf;
        switch (pictureType) {
        case WmfPicture:
            if (upperAscii(fileExtension(name.toStdString())) == ".WMF") format = ExportFormat::Wmf;
            break;
        case BmpPicture: format = ExportFormat::Bmp; break;
        case SvgPicture: format = ExportFormat::Svg; break;
        case PdfPicture: format = ExportFormat::Pdf; break;
        default: format = ExportFormat::Png; break;
        }
        if (target() == ToClipboard) {
            copyPictureToClipboard(job, format);
        } else {
            // A large bitmap is written band by band; past a second the
            // rows written show in a progress window.
            QProgressDialog progress(QStringLiteral("Запись рисунка…"), QString(), 0, 1, this);
            progress.setWindowTitle(QStringLiteral("Экспорт"));
            progress.setWindowModality(Qt::WindowModal);
            progress.setMinimumDuration(1000);
            progress.setValue(0);
            writePictureFile(job, format, name, [&](int done, int total) {
                progress.setMaximum(total);
                progress.setValue(done);
            });
        }
    } catch (const CommandError& e) {
        showErrorBox(QString::fromStdString(e.message));
        return false;
    }
    return true;
}

void ExportDialog::bOKClick()
{
    // A failed export keeps the dialog open, so the name can be corrected;
    // only a picture actually written closes it with OK.
    if (exportPicture()) accept();
}

void ExportDialog::restoreStored()
{
    auto ini = openProgramIni();
    ini->beginGroup(kSection);
    setWhat(std::clamp(ini->value(QStringLiteral("rgWhat.ItemIndex"), 0).toInt(), 0, 1));
    setType(std::clamp(ini->value(QStringLiteral("rgType.ItemIndex"), 0).toInt(), 0, kLastType));
    setTarget(std::clamp(ini->value(QStringLiteral("rgFile.ItemIndex"), 0).toInt(), 0, 1));
    feFileName_->setText(ini->value(QStringLiteral("feFileName.FileName")).toString());
    cbDig_->setChecked(ini->value(QStringLiteral("cbDig.Checked"), false).toBool());
    for (int t = 0; t <= kLastType; ++t)
        digitPercent_[t] = validDigitPercent(ini->value(digitKey(t), defaultDigitsOfType(t)).toInt());
    digitsType_ = std::clamp(type(), 0, kLastType);
    seDigits_->setValue(digitPercent_[digitsType_]);
}

void ExportDialog::writeStored() const
{
    auto ini = openProgramIni();
    ini->beginGroup(kSection);
    ini->setValue(QStringLiteral("rgWhat.ItemIndex"), what());
    ini->setValue(QStringLiteral("rgType.ItemIndex"), type());
    ini->setValue(QStringLiteral("rgFile.ItemIndex"), target());
    ini->setValue(QStringLiteral("feFileName.FileName"), feFileName_->text());
    ini->setValue(QStringLiteral("cbDig.Checked"), cbDig_->isChecked());
    // The control shows the type it was last synchronised with.
    for (int t = 0; t <= kLastType; ++t)
        ini->setValue(digitKey(t), t == digitsType_ ? seDigits_->value() : digitPercent_[t]);
}

void ExportDialog::showEvent(QShowEvent* e)
{
    if (!e->spontaneous()) {
        restoreStored();
        updateExportControls();
    }
    QDialog::showEvent(e);
}

void ExportDialog::reject()
{
    // Cancel discards what was changed since the dialog was shown.
    restoreStored();
    QDialog::reject();
}

void ExportDialog::done(int result)
{
    writeStored();
    QDialog::done(result);
}

} // namespace klt
