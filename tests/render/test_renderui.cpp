// The export dialog, the preview panel and the picture commands.
#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QTemporaryDir>
#include <QToolButton>

#include "core/workspace.h"
#include "editing/colorbox.h"
#include "editing/spinedit.h"
#include "metafilereader.h"
#include "render/exportdialog.h"
#include "render/picturecommands.h"
#include "render/previewpanel.h"
#include "render/programini.h"
#include "render/puzzlepicture.h"
#include "widgets/messagebox.h"

using namespace klt;

namespace {
struct Box {
    MessageKind kind;
    QString text;
};
} // namespace

class RenderUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void enablingRules_data();
    void enablingRules();
    void numbersFollowWhatIsExported();
    void writesByTypeNotExtension_data();
    void writesByTypeNotExtension();
    void failedExportIsNoSuccess();
    void webPageIsAFileOfTheTask();
    void cancelRestoresStoredChoices();
    void choicesPersistAcrossRuns();
    void clipboard();
    void digitSizeIsAChoiceOfEachType();
    void digitSizeStepsOverUselessSizes();

    void previewRedrawsOnlyOnRequest();
    void hugePictureIsCutToTheScreen();
    void keyWordFont();
    void panelSettingsRoundTrip();
    void previewToggleKeepsWidth();

private:
    QAbstractButton* radio(ExportDialog& d, const char* group, int index);
    void clickOk(ExportDialog& d) { QTest::mouseClick(d.okButton(), Qt::LeftButton); }

    std::unique_ptr<Workspace> ws;
    std::unique_ptr<QWidget> grid;
    std::unique_ptr<QTemporaryDir> dir;
    std::vector<Box> boxes;
};

void RenderUiTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void RenderUiTest::init()
{
    QFile::remove(programIniPath());
    ws = std::make_unique<Workspace>();
    ws->doc.field().setSize(6, 5);
    ws->doc.field().setText(1, 1, "-2");
    ws->doc.field().setText(2, 2, "-");
    grid = std::make_unique<QWidget>();
    grid->setFont(defaultPictureFont());
    dir = std::make_unique<QTemporaryDir>();
    boxes.clear();
    setMessageHook([this](MessageKind kind, const QString& text, const QString&) {
        boxes.push_back({kind, text});
        return MessageButton::Ok;
    });
}

void RenderUiTest::cleanup()
{
    setMessageHook(nullptr);
    QFile::remove(programIniPath());
}

QAbstractButton* RenderUiTest::radio(ExportDialog& d, const char* group, int index)
{
    const auto buttons = d.findChild<QWidget*>(QLatin1String(group))->findChildren<QRadioButton*>();
    return buttons.value(index);
}

void RenderUiTest::enablingRules_data()
{
    QTest::addColumn<int>("what");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fileEnabled");
    QTest::addColumn<bool>("numbersEnabled");
    QTest::addColumn<bool>("numbersChecked");
    QTest::addColumn<bool>("okEnabled");
    QTest::newRow("task, file, no name") << 0 << 0 << "" << true << false << true << false;
    QTest::newRow("task, file, blank name") << 0 << 0 << "   " << true << false << true << false;
    QTest::newRow("task, file, a name") << 0 << 0 << "a" << true << false << true << true;
    QTest::newRow("answers, file, a name") << 1 << 0 << "a" << true << true << false << true;
    QTest::newRow("answers, clipboard, no name") << 1 << 1 << "" << false << true << false << true;
}

void RenderUiTest::enablingRules()
{
    QFETCH(int, what);
    QFETCH(int, target);
    QFETCH(QString, name);
    ExportDialog d([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    d.numbersBox()->setChecked(false);
    d.setWhat(what);
    d.setTarget(target);
    d.fileNameEdit()->setText(name);
    d.updateExportControls();
    QFETCH(bool, fileEnabled);
    QFETCH(bool, numbersEnabled);
    QFETCH(bool, numbersChecked);
    QFETCH(bool, okEnabled);
    QCOMPARE(d.fileNameEdit()->isEnabled(), fileEnabled);
    QCOMPARE(d.numbersBox()->isEnabled(), numbersEnabled);
    QCOMPARE(d.numbersBox()->isChecked(), numbersChecked);
    QCOMPARE(d.okButton()->isEnabled(), okEnabled);
    QVERIFY(d.correctionBox()->isEnabled());
    // Without numbers there are no digits to size.
    QCOMPARE(d.digitSizeBox()->isEnabled(), numbersChecked);
}

void RenderUiTest::numbersFollowWhatIsExported()
{
    ExportDialog d([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    d.show();
    radio(d, "rgWhat", 1)->click();
    d.numbersBox()->setChecked(false);
    radio(d, "rgWhat", 0)->click(); // the task always has its numbers
    QVERIFY(!d.numbersBox()->isEnabled());
    QVERIFY(d.numbersBox()->isChecked());
    radio(d, "rgWhat", 1)->click(); // enabled again, still ticked
    QVERIFY(d.numbersBox()->isEnabled());
    QVERIFY(d.numbersBox()->isChecked());
    radio(d, "rgFile", 1)->click();
    QVERIFY(!d.fileNameEdit()->isEnabled());
    QVERIFY(d.okButton()->isEnabled());
}

void RenderUiTest::writesByTypeNotExtension_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("content");
    QTest::newRow("bitmap, no extension") << 1 << "puzzle" << "puzzle.BMP" << "BMP";
    QTest::newRow("metafile, no extension") << 0 << "puzzle" << "puzzle.WMF" << "WMF";
    QTest::newRow("metafile as .Wmf") << 0 << "pic.Wmf" << "pic.Wmf" << "WMF";
    QTest::newRow("metafile as .bmp") << 0 << "pic.bmp" << "pic.bmp" << "EMF";
    QTest::newRow("metafile as .emf") << 0 << "pic.emf" << "pic.emf" << "EMF";
    QTest::newRow("bitmap as .wmf") << 1 << "pic.wmf" << "pic.wmf" << "BMP";
    QTest::newRow("SVG, no extension") << 2 << "puzzle" << "puzzle.SVG" << "SVG";
    QTest::newRow("PDF, no extension") << 3 << "puzzle" << "puzzle.PDF" << "PDF";
    QTest::newRow("PNG, no extension") << 4 << "puzzle" << "puzzle.PNG" << "PNG";
    QTest::newRow("PNG as .bmp") << 4 << "pic.bmp" << "pic.bmp" << "PNG";
}

void RenderUiTest::writesByTypeNotExtension()
{
    QFETCH(int, type);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QString, content);
    ExportDialog d([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    d.show();
    radio(d, "rgType", type)->click();
    d.fileNameEdit()->setText(dir->filePath(typed));
    clickOk(d);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.fileNameEdit()->text(), dir->filePath(written));
    QFile f(dir->filePath(written));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    if (content == "BMP" || content == "PNG") {
        QVERIFY(bytes.startsWith(content == "BMP" ? QByteArray("BM") : QByteArray("\x89PNG")));
        QCOMPARE(QImage::fromData(bytes).size(), pictureSize(ws->doc.field(), 24));
    } else if (content == "SVG") {
        QVERIFY(bytes.contains("<svg"));
        QVERIFY(bytes.contains("viewBox=\"0 0 164 140\""));
    } else if (content == "PDF") {
        QVERIFY(bytes.startsWith("%PDF"));
    } else if (content == "WMF") {
        const mfr::Drawing w = mfr::readWmf(bytes);
        QVERIFY2(w.problems.isEmpty(), qPrintable(w.problems.join("; ")));
        QCOMPARE(w.bounds.bottomRight(), QPoint(164, 140));
    } else {
        const mfr::Drawing e = mfr::readEmf(bytes);
        QVERIFY2(e.problems.isEmpty(), qPrintable(e.problems.join("; ")));
        // The correction is on by default: cells exactly 24 wide.
        QCOMPARE(e.rectangles.at(1), QRect(QPoint(10, 10), QPoint(34, 34)));
    }
    QVERIFY(boxes.empty());
}

void RenderUiTest::failedExportIsNoSuccess()
{
    QWidget host;
    PictureCommands commands(*ws, *grid, &host, nullptr);
    ExportDialog* d = commands.exportDialog();
    const QString missing = dir->filePath(QStringLiteral("no/such/folder/pic.bmp"));
    QTimer::singleShot(0, this, [&] {
        d->fileNameEdit()->setText(missing);
        clickOk(*d);
        // The error was shown and the dialog waits for a better name.
        QVERIFY(d->isVisible());
        QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
    });
    commands.acExpExecute();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].kind, MessageKind::Error);
    QVERIFY(boxes[0].text.contains(missing));
    QVERIFY(!QFile::exists(missing));

    // A good name then exports and says so.
    boxes.clear();
    QTimer::singleShot(0, this, [&] {
        d->fileNameEdit()->setText(dir->filePath(QStringLiteral("ok.wmf")));
        clickOk(*d);
    });
    commands.acExpExecute();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].kind, MessageKind::Information);
    QVERIFY(boxes[0].text.startsWith(QStringLiteral("Экспорт.")));
    QVERIFY(boxes[0].text.endsWith(QStringLiteral("Готово!!!")));
    QVERIFY(QFile::exists(dir->filePath(QStringLiteral("ok.wmf"))));
}

void RenderUiTest::webPageIsAFileOfTheTask()
{
    QWidget host;
    PictureCommands commands(*ws, *grid, &host, nullptr);
    ExportDialog* d = commands.exportDialog();
    QTimer::singleShot(0, this, [&] {
        d->setWhat(ExportDialog::Answers);
        d->setTarget(ExportDialog::ToClipboard);
        radio(*d, "rgType", ExportDialog::HtmlPage)->click();
        // Only a file, only the task.
        QCOMPARE(d->target(), int(ExportDialog::ToFile));
        QCOMPARE(d->what(), int(ExportDialog::Task));
        QVERIFY(!radio(*d, "rgFile", ExportDialog::ToClipboard)->isEnabled());
        QVERIFY(!radio(*d, "rgWhat", ExportDialog::Answers)->isEnabled());
        QVERIFY(!d->correctionBox()->isEnabled());
        d->fileNameEdit()->setText(dir->filePath(QStringLiteral("page")));
        clickOk(*d);
    });
    commands.acExpExecute(QStringLiteral("/home/author/Ёлка.kvt"));
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].kind, MessageKind::Information);
    // A name without an extension takes the type's.
    QFile page(dir->filePath(QStringLiteral("page.html")));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    QVERIFY(html.contains("<title>Ёлка</title>"));
    QVERIFY(html.contains("\"digits\":60"));

    // Back to a picture type, the other choices come back.
    radio(*d, "rgType", ExportDialog::PngPicture)->click();
    QVERIFY(radio(*d, "rgFile", ExportDialog::ToClipboard)->isEnabled());
    QVERIFY(radio(*d, "rgWhat", ExportDialog::Answers)->isEnabled());
}

void RenderUiTest::cancelRestoresStoredChoices()
{
    ExportDialog d([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    d.show();
    radio(d, "rgType", 1)->click();
    d.fileNameEdit()->setText(QStringLiteral("draft"));
    QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Rejected));
    d.show();
    QCOMPARE(d.type(), int(ExportDialog::WmfPicture));
    QCOMPARE(d.fileNameEdit()->text(), QString());
    // Esc cancels the same way.
    radio(d, "rgType", 1)->click();
    QTest::keyClick(&d, Qt::Key_Escape);
    d.show();
    QCOMPARE(d.type(), int(ExportDialog::WmfPicture));

    // The correction is not a stored choice: Cancel leaves it as the user
    // set it in this run, and every run starts with it ticked.
    d.correctionBox()->setChecked(false);
    QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
    d.show();
    QVERIFY(!d.correctionBox()->isChecked());
    ExportDialog fresh([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    fresh.show();
    QVERIFY(fresh.correctionBox()->isChecked());

    // Enter is OK: it exports and closes.
    fresh.fileNameEdit()->setText(dir->filePath(QStringLiteral("enter")));
    QTest::keyClick(fresh.fileNameEdit(), Qt::Key_Return);
    QCOMPARE(fresh.result(), int(QDialog::Accepted));
    QVERIFY(QFile::exists(dir->filePath(QStringLiteral("enter.WMF"))));
}

void RenderUiTest::choicesPersistAcrossRuns()
{
    const QString name = dir->filePath(QStringLiteral("answers.bmp"));
    {
        ExportDialog d([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
        d.show();
        radio(d, "rgWhat", 1)->click();
        radio(d, "rgType", 1)->click();
        d.numbersBox()->setChecked(false);
        d.fileNameEdit()->setText(name);
        clickOk(d);
    }
    ExportDialog again([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    again.show();
    QCOMPARE(again.what(), int(ExportDialog::Answers));
    QCOMPARE(again.type(), int(ExportDialog::BmpPicture));
    QCOMPARE(again.target(), int(ExportDialog::ToFile));
    QCOMPARE(again.fileNameEdit()->text(), name);
    QVERIFY(!again.numbersBox()->isChecked());
    QVERIFY(again.numbersBox()->isEnabled());
    QVERIFY(QFileInfo(programIniPath()).fileName().endsWith(QLatin1String(".INI")));
    QSettings ini(programIniPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("TCopyForm/rgType.ItemIndex")).toInt(), 1);
}

void RenderUiTest::clipboard()
{
    ExportDialog d([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    for (int type : {0, 1, 2, 3}) {
        QGuiApplication::clipboard()->clear();
        d.show();
        radio(d, "rgFile", 1)->click();
        radio(d, "rgType", type)->click();
        clickOk(d);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY(data->hasImage());
        QCOMPARE(qvariant_cast<QImage>(data->imageData()).size(), pictureSize(ws->doc.field(), 24));
        QCOMPARE(data->hasFormat(QStringLiteral("image/x-emf")), type == 0);
        QCOMPARE(data->hasFormat(QStringLiteral("image/svg+xml")), type == 2);
        QCOMPARE(data->hasFormat(QStringLiteral("application/pdf")), type == 3);
        if (type == 2) QVERIFY(data->data(QStringLiteral("image/svg+xml")).contains("<g id=\"clues\""));
        if (type == 0) {
            const mfr::Drawing e = mfr::readEmf(data->data(QStringLiteral("image/x-emf")));
            QVERIFY2(e.problems.isEmpty(), qPrintable(e.problems.join("; ")));
            const mfr::Drawing w = mfr::readWmf(data->data(QStringLiteral("image/x-wmf")));
            QVERIFY2(w.problems.isEmpty(), qPrintable(w.problems.join("; ")));
        }
    }
    // The name field stayed empty: no bare extension was made up for it.
    QCOMPARE(d.fileNameEdit()->text(), QString());
}

// SVG, PDF and PNG start with digits 60 % of the cell high, WMF and BMP with
// the grid's font; each type keeps what it was given, OK stores it, Cancel
// forgets it, and the export draws with it.
void RenderUiTest::digitSizeIsAChoiceOfEachType()
{
    ws->doc.field().setText(0, 0, "3");
    ExportDialog d([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    d.show();
    QSpinBox* digits = d.digitSizeBox();
    const int defaults[] = {0, 0, 60, 60, 60};
    for (int type = 0; type < 5; ++type) {
        radio(d, "rgType", type)->click();
        QCOMPARE(digits->value(), defaults[type]);
    }
    radio(d, "rgType", ExportDialog::BmpPicture)->click();
    QCOMPARE(digits->text(), QStringLiteral("как в сетке"));
    digits->setValue(35);
    radio(d, "rgType", ExportDialog::SvgPicture)->click();
    QCOMPARE(digits->text(), QStringLiteral("60 % клетки"));
    digits->setValue(80);
    radio(d, "rgType", ExportDialog::BmpPicture)->click();
    QCOMPARE(digits->value(), 35);
    radio(d, "rgType", ExportDialog::SvgPicture)->click();
    QCOMPARE(digits->value(), 80);

    d.fileNameEdit()->setText(dir->filePath(QStringLiteral("digits.svg")));
    clickOk(d);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QFile f(dir->filePath(QStringLiteral("digits.svg")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const int pixels = digitFont(defaultPictureFont(), 24, 80).pixelSize();
    const QString svg = QString::fromUtf8(f.readAll());
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("<g id=\"clues\"[^>]* font-size=\"([0-9.]+)\"")).match(svg);
    QVERIFY(m.hasMatch());
    QCOMPARE(m.captured(1).toInt(), pixels);

    ExportDialog again([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    again.show();
    QCOMPARE(again.type(), int(ExportDialog::SvgPicture));
    QCOMPARE(again.digitSizeBox()->value(), 80);
    radio(again, "rgType", ExportDialog::BmpPicture)->click();
    QCOMPARE(again.digitSizeBox()->value(), 35);
    radio(again, "rgType", ExportDialog::PngPicture)->click();
    again.digitSizeBox()->setValue(0);
    QTest::mouseClick(again.cancelButton(), Qt::LeftButton);
    again.show();
    QCOMPARE(again.type(), int(ExportDialog::SvgPicture));
    radio(again, "rgType", ExportDialog::PngPicture)->click();
    QCOMPARE(again.digitSizeBox()->value(), 60);
}

// 1..9 % makes no readable digit: the arrows step from "as on the grid"
// straight to 10 % and back, and a typed 5 becomes 10.
void RenderUiTest::digitSizeStepsOverUselessSizes()
{
    ExportDialog d([this] { return PictureJob{ws->doc.field(), 24, {}, {}}; });
    d.show();
    QSpinBox* digits = d.digitSizeBox();
    digits->setValue(0);
    digits->stepUp();
    QCOMPARE(digits->value(), 10);
    digits->stepUp();
    QCOMPARE(digits->value(), 15);
    digits->setValue(12);
    digits->stepDown();
    QCOMPARE(digits->value(), 0);
    digits->setValue(100);
    digits->stepUp();
    QCOMPARE(digits->value(), 100);

    digits->selectAll();
    QTest::keyClicks(digits, QStringLiteral("5"));
    digits->interpretText(); // as on leaving the control
    QCOMPARE(digits->value(), 10);
    digits->selectAll();
    QTest::keyClicks(digits, QStringLiteral("45"));
    digits->interpretText();
    QCOMPARE(digits->value(), 45);
}

void RenderUiTest::previewRedrawsOnlyOnRequest()
{
    PreviewPanel panel(*ws, *grid);
    panel.blackColorBox()->setColor(QColor(0, 0, 255));
    panel.refresh();
    QCOMPARE(panel.picture().size(), pictureSize(ws->doc.field(), 24));
    const QPoint cell11(10 + 24 + 3, 10 + 24 + 3), cell33(10 + 72 + 3, 10 + 72 + 3);
    QCOMPARE(panel.picture().pixelColor(cell11), QColor(0, 0, 255)); // answers are shown
    ws->doc.field().setText(3, 3, "-");
    QCOMPARE(panel.picture().pixelColor(cell33), QColor(Qt::white)); // edits leave it alone
    // Settings redraw it, also while the panel is hidden.
    QVERIFY(panel.isHidden());
    panel.frameWidthEdit()->showValue(20);
    QCOMPARE(panel.picture().pixelColor(cell33), QColor(0, 0, 255));
    QCOMPARE(panel.picture().pixelColor(2, 50), QColor(Qt::black));
    panel.blackColorBox()->setColor(QColor(255, 0, 0));
    QCOMPARE(panel.picture().pixelColor(cell11), QColor(255, 0, 0));
}

void RenderUiTest::hugePictureIsCutToTheScreen()
{
    // 25020 pixels square would take gigabytes; the panel never shows more than a screen.
    ws->doc.field().setSize(250, 250);
    ws->doc.field().setText(0, 0, "-");
    ws->doc.setCellSize(100);
    PreviewPanel panel(*ws, *grid);
    panel.refresh();
    const QSize screen = QGuiApplication::primaryScreen()->virtualSize();
    QVERIFY(!panel.picture().isNull());
    QVERIFY(panel.picture().width() <= screen.width() && panel.picture().height() <= screen.height());
    QCOMPARE(panel.picture().pixelColor(10, 50), QColor(Qt::black));
    QCOMPARE(panel.picture().pixelColor(50, 50), QColor(Qt::black)); // the filled corner cell
    QCOMPARE(panel.picture().pixelColor(150, 50), QColor(Qt::white));
}

void RenderUiTest::keyWordFont()
{
    PreviewPanel panel(*ws, *grid);
    QAction action(QStringLiteral("Шрифт ключевого слова"));
    QObject::connect(&action, &QAction::triggered, &panel, &PreviewPanel::chooseKeyWordFont);
    panel.setKeyWordFontAction(&action);
    std::optional<QFont> answer;
    panel.setFontChooser([&](const QFont&, QWidget*) { return answer; });
    panel.refresh();

    const QFont before = panel.keyWordFontLabel()->font();
    ws->doc.field().setText(0, 0, "-");
    panel.keyWordFontButton()->click(); // cancelled: same font, yet redrawn
    QCOMPARE(panel.keyWordFontLabel()->font(), before);
    QCOMPARE(panel.picture().pixelColor(13, 13), QColor(Qt::black));

    answer = QFont(QStringLiteral("DejaVu Serif"), 20);
    panel.keyWordFontButton()->click();
    QCOMPARE(panel.keyWordFontLabel()->font().family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(panel.style().letterFont.pointSize(), 20);
    QCOMPARE(panel.style().numberFont, grid->font());
}

void RenderUiTest::panelSettingsRoundTrip()
{
    const QString path = dir->filePath(QStringLiteral("main.ini"));
    {
        PreviewPanel panel(*ws, *grid);
        panel.frameWidthEdit()->showValue(7);
        panel.keyWordFontLabel()->setFont(QFont(QStringLiteral("DejaVu Serif"), 11, QFont::Bold));
        QSettings s(path, QSettings::IniFormat);
        s.beginGroup(QStringLiteral("TMainForm"));
        panel.saveSettings(s);
    }
    PreviewPanel panel(*ws, *grid);
    QSettings s(path, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("TMainForm"));
    panel.restoreSettings(s);
    QCOMPARE(panel.style().frameWidth, 7);
    QCOMPARE(panel.style().letterFont.family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(panel.style().letterFont.pointSize(), 11);
    QVERIFY(panel.style().letterFont.bold());
    // The export colour is never stored: it starts black.
    QCOMPARE(panel.style().fill, QColor(Qt::black));
}

void RenderUiTest::previewToggleKeepsWidth()
{
    QSplitter splitter;
    splitter.setChildrenCollapsible(false);
    auto* gridSide = new QWidget;
    gridSide->setMinimumWidth(185);
    auto* host = new QWidget;
    host->setMinimumWidth(100);
    host->hide();
    splitter.addWidget(gridSide);
    splitter.addWidget(host);
    splitter.resize(800, 400);
    splitter.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splitter));

    PictureCommands commands(*ws, *grid, host, &splitter);
    QAction acPreview;
    acPreview.setCheckable(true);
    commands.acPreviewExecute(&acPreview);
    QVERIFY(!host->isHidden());
    QVERIFY(acPreview.isChecked());
    QCOMPARE(splitter.sizes().at(1), 193);
    QCOMPARE(commands.panel()->picture().size(), pictureSize(ws->doc.field(), 24));

    // Dragged wider, hidden and shown again: the same width.
    const QList<int> sizes = splitter.sizes();
    splitter.setSizes({sizes[0] - 57, sizes[1] + 57});
    const int dragged = splitter.sizes().at(1);
    QCOMPARE(dragged, 250);
    commands.acPreviewExecute(&acPreview);
    QVERIFY(host->isHidden());
    QVERIFY(!acPreview.isChecked());
    commands.acPreviewExecute(&acPreview);
    QCOMPARE(splitter.sizes().at(1), dragged);
}

QTEST_MAIN(RenderUiTest)
#include "test_renderui.moc"
