// The import dialog: loading, the enabling rules, the selection rectangle
// and panning with the mouse, colour picks, copy and paste, drops, accept
// and stop, and the settings kept between runs.
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSettings>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "support/mouseevents.h"
#include "core/commands.h"
#include "core/sizecontrols.h"
#include "import/importform.h"
#include "import/importpictures.h"
#include "import/runningrect.h"
#include "samples.h"
#include "widgets/messagebox.h"

using namespace klt;

namespace {

// The main window's part: its busy state, and size controls that follow
// the field.
struct TestHost : CommandContext, DocumentObserver {
    Workspace* ws = nullptr;
    SizeControls controls;
    void sizeChanged() override { controls.sync(*ws); }
};

struct Message {
    MessageKind kind;
    QString text;
};

// Red where (x + y) % 7 == 0, white elsewhere.
QImage pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, (x + y) % 7 == 0 ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
    return img;
}

using klt::test::drag;
using klt::test::hover;
using klt::test::press;
using klt::test::release;

// The controls a user sees: buttons, edits, the list, labels, group boxes,
// the gauge and the picture view, without the inner parts of spin boxes and lists.
QList<QWidget*> visibleControls(QWidget* dialog)
{
    QList<QWidget*> controls;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        bool inner = false;
        for (QWidget* p = w->parentWidget(); p && p != dialog; p = p->parentWidget())
            inner = inner || qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QAbstractScrollArea*>(p) ||
                    p->objectName() == "Image1";
        if (inner) continue;
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QAbstractSlider*>(w) ||
            qobject_cast<QAbstractItemView*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w) ||
            w->objectName() == "gg" || w->objectName() == "Image1")
            controls << w;
    }
    return controls;
}

QString describe(QWidget* w)
{
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
    return QStringLiteral("%1 \"%2\" %3").arg(w->objectName(), text, QString::fromLatin1(w->metaObject()->className()));
}

// Every visible control lies inside the dialog and its parent, has at least
// the size it needs for its text, and no two of them overlap.
void checkLayout(QWidget* dialog)
{
    const QList<QWidget*> controls = visibleControls(dialog);
    QVERIFY(controls.size() > 20);
    auto area = [dialog](QWidget* w) { return QRect(w->mapTo(dialog, QPoint(0, 0)), w->size()); };
    for (QWidget* w : controls) {
        QVERIFY2(dialog->rect().contains(area(w)), qPrintable(describe(w) + " leaves the dialog"));
        QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(describe(w) + " leaves its parent"));
        const QSize need = w->minimumSizeHint();
        QVERIFY2(!need.isValid() || (w->width() >= need.width() && w->height() >= need.height()),
                 qPrintable(describe(w) + QStringLiteral(" is %1 x %2, needs %3 x %4")
                                              .arg(w->width()).arg(w->height()).arg(need.width()).arg(need.height())));
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j) {
            QWidget* a = controls[i];
            QWidget* b = controls[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
            QVERIFY2(!area(a).intersects(area(b)), qPrintable(describe(a) + " overlaps " + describe(b)));
        }
}

// The object names of the controls Tab visits, in order.
QStringList tabOrder(QWidget* dialog)
{
    QStringList names;
    for (QWidget* w = dialog->nextInFocusChain(); w != dialog; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
            names << w->objectName();
    return names;
}

} // namespace

class ImportFormTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void captionsHintsAndPlace();
    void loadingScalesAndWarns();
    void aBrokenFileKeepsThePicture();
    void enablingRules();
    void draggingOutTheSelection();
    void shortDragsAndClampedEdges();
    void clickPicksAColourOnce();
    void movingTheSelection();
    void panningAndCentring();
    void copyAndPaste();
    void colourDialogKeepsItsColour();
    void previewAndRestore();
    void acceptAsksFirstAndCrops();
    void acceptWithoutPictureKeepsThePuzzle();
    void stopDuringAccept();
    void drops();
    void settingsAreKept();
    void runningRectDashes();
    void tabOrderAndLayout();
    void largeTypeFits();
    void enlargingGrowsTheView();

private:
    QString write(const QString& name, const QImage& image);
    QWidget* im() const { return form_->findChild<QWidget*>("Im"); }
    QPushButton* button(const char* name) const { return form_->findChild<QPushButton*>(name); }
    QString panel(int i) const;

    QTemporaryDir dir_;
    std::unique_ptr<TestHost> host_;
    std::unique_ptr<Workspace> ws_;
    std::unique_ptr<TImportForm> form_;
    std::vector<Message> messages_;
};

void ImportFormTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("kletomer-test");
    QCoreApplication::setApplicationName("import-form-test");
    QVERIFY(dir_.isValid());
    registerImportPictures();
    setMessageHook([this](MessageKind kind, const QString& text, const QString&) {
        messages_.push_back({kind, text});
        return MessageButton::Ok;
    });
}

void ImportFormTest::init()
{
    QSettings().clear();
    messages_.clear();
    host_ = std::make_unique<TestHost>();
    ws_ = std::make_unique<Workspace>();
    host_->ws = ws_.get();
    ws_->doc.addObserver(host_.get());
    form_ = std::make_unique<TImportForm>(*ws_);
    form_->setCommandContext(host_.get());
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void ImportFormTest::cleanup()
{
    form_.reset();
}

QString ImportFormTest::write(const QString& name, const QImage& image)
{
    const QString path = dir_.filePath(name);
    image.save(path);
    return path;
}

QString ImportFormTest::panel(int i) const
{
    const auto labels = form_->findChild<QWidget*>("sBar")->findChildren<QLabel*>();
    return labels.at(i)->text();
}

void ImportFormTest::captionsHintsAndPlace()
{
    QCOMPARE(form_->windowTitle(), QStringLiteral("Импорт из рисунка"));
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
    } buttons[] = {
        {"bBrowse", "В&ыбор", "Загрузка рисунка из файла"},
        {"bCopy", "&Копировать", "Копировать  рисунок в буфер обмена"},
        {"bPaste", "&Вставить", "Вставить рисунок из буфера обмена"},
        {"bCenter", "&Центр", "Рисунок по центру"},
        {"bReset", "Восс&тановить", "Восстановить цвет исходного рисунка"},
        {"bPreview", "Просмотр", "Просмотреть рисунок после преобразования (Сtrl-не белые)"},
        {"bStop", "&Стоп", ""},
        {"bAdd", "Добавить", "Добавить цвет в список"},
        {"bDel", "Удалить", "Удалить цвет из списка"},
        {"bOK", "Принять", ""},
        {"bNoWhite", "Принять не белые", ""},
        {"bCancel", "Отменить", ""},
    };
    for (const auto& b : buttons) {
        QPushButton* w = button(b.name);
        QVERIFY2(w, b.name);
        QCOMPARE(w->text(), QString::fromUtf8(b.caption));
        QCOMPARE(w->toolTip(), QString::fromUtf8(b.hint));
    }
    QVERIFY(button("bOK")->isDefault());
    QCOMPARE(form_->findChild<QSpinBox*>("rxProc")->toolTip(), QStringLiteral("Масштабирование "));
    // The track bar's hint ends in a carriage return.
    QCOMPARE(form_->findChild<QSlider*>("tbColor")->toolTip(), QStringLiteral("Количество цветов рисунка\r"));
    QCOMPARE(panel(0), QStringLiteral("0 : 0"));

    // The dialog comes up in the middle of the screen (give or take its
    // frame), not over the main window.
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 200, 150);
    mainWindow.show();
    TImportForm owned(*ws_, &mainWindow);
    owned.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owned));
    const QPoint off = owned.frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2(std::abs(off.x()) <= 3 && std::abs(off.y()) <= 3, qPrintable(QStringLiteral("%1, %2").arg(off.x()).arg(off.y())));
}

void ImportFormTest::loadingScalesAndWarns()
{
    QVERIFY(form_->loadPictureFile(write("p400.png", pattern(400, 300))));
    QCOMPARE(form_->findChild<QSpinBox*>("rxProc")->value(), 91);
    QCOMPARE(form_->model().view().size(), QSize(250, 250));
    QCOMPARE(messages_.size(), size_t(1));
    QCOMPARE(messages_[0].kind, MessageKind::Error);
    QCOMPARE(messages_[0].text, QStringLiteral("Размер рисунка не может быть больше, чем 250 х 250 точек.\nРисунок будет обрезан."));
    QCOMPARE(panel(2), QStringLiteral("250 x 250 (Оригинал)"));
    QCOMPARE(form_->lastPictureDir(), dir_.path());

    // A picture that fits: no message, the view is the picture.
    messages_.clear();
    QVERIFY(form_->loadPictureFile(write("p100.png", pattern(100, 50))));
    QVERIFY(messages_.empty());
    QCOMPARE(form_->model().view().size(), QSize(91, 46)); // the scale stays at 91 %
}

void ImportFormTest::aBrokenFileKeepsThePicture()
{
    QVERIFY(form_->loadPictureFile(write("good.png", pattern(100, 50))));
    const QImage before = form_->model().view();
    QDir().mkdir(dir_.filePath("other"));
    const QString broken = dir_.filePath("other/broken.png");
    QVERIFY(samples::writeFile(broken, QByteArray("\x89PNG\r\n\x1a\nbroken", 14)));
    QVERIFY(!form_->loadPictureFile(broken));
    QCOMPARE(messages_.size(), size_t(1));
    QVERIFY(messages_[0].text.contains("broken.png"));
    QCOMPARE(form_->model().view(), before);
    QCOMPARE(form_->model().source()->width(), 100);
    QCOMPARE(form_->lastPictureDir(), dir_.filePath("other")); // updated all the same

    QVERIFY(samples::writeFile(dir_.filePath("huge.png"), samples::hugePng()));
    QVERIFY(!form_->loadPictureFile(dir_.filePath("huge.png")));
    QCOMPARE(form_->model().view(), before);
}

void ImportFormTest::enablingRules()
{
    auto enabled = [this](const char* name) { return form_->findChild<QWidget*>(name)->isEnabled(); };
    QVERIFY(!enabled("bOK") && !enabled("bPreview") && !enabled("bCopy") && !enabled("rxProc") && !enabled("tbColor"));
    QVERIFY(enabled("bBrowse") && enabled("bAdd") && enabled("bCancel") && enabled("Im"));
    // Nothing to convert: neither accept would do anything to the puzzle.
    QVERIFY(!enabled("bNoWhite"));

    QVERIFY(form_->loadPictureFile(write("p.png", pattern(60, 40))));
    QVERIFY(enabled("rxProc") && enabled("tbColor") && enabled("bReset") && enabled("bCenter") && enabled("bCopy"));
    QVERIFY(enabled("bNoWhite"));
    QVERIFY(!enabled("bOK") && !enabled("bPreview") && !enabled("bDel"));
    // Holding Ctrl enables the preview of every colour but white.
    QTest::keyPress(form_.get(), Qt::Key_Control);
    QVERIFY(enabled("bPreview"));
    QTest::keyRelease(form_.get(), Qt::Key_Control);
    QVERIFY(!enabled("bPreview"));

    form_->addColour(qRgb(255, 0, 0));
    QVERIFY(enabled("bOK") && enabled("bPreview") && enabled("bDel"));
    // Delete released in the list removes the current item.
    auto* list = form_->findChild<QListWidget*>("lbc1");
    list->setCurrentRow(0);
    QTest::keyPress(list, Qt::Key_Delete);
    QTest::keyRelease(list, Qt::Key_Delete);
    QCOMPARE(list->count(), 0);
    QVERIFY(!enabled("bOK") && !enabled("bDel"));

    QGuiApplication::clipboard()->clear();
    QVERIFY(!enabled("bPaste"));
    QGuiApplication::clipboard()->setImage(pattern(5, 5));
    QTRY_VERIFY(enabled("bPaste"));
}

void ImportFormTest::draggingOutTheSelection()
{
    QVERIFY(form_->loadPictureFile(write("p.png", pattern(250, 250))));
    press(im(), {100, 100});
    QVERIFY(!form_->selection()); // placed, still hidden
    drag(im(), {160, 130});
    QCOMPARE(form_->selection(), std::optional<QRect>(QRect(100, 100, 60, 30)));
    QCOMPARE(panel(2), QStringLiteral("60 x 30 (Оригинал)"));
    // Back past the middle: the left edge follows.
    drag(im(), {120, 130});
    QCOMPARE(form_->selection(), std::optional<QRect>(QRect(120, 100, 40, 30)));
    release(im(), {120, 130});
    QCOMPARE(form_->selection(), std::optional<QRect>(QRect(120, 100, 40, 30)));
    QVERIFY(form_->selectionRect()->running());
}

void ImportFormTest::shortDragsAndClampedEdges()
{
    QVERIFY(form_->loadPictureFile(write("p.png", pattern(250, 250))));
    press(im(), {10, 10});
    drag(im(), {11, 200});
    QVERIFY(form_->selection());
    release(im(), {11, 200});
    QVERIFY(!form_->selection()); // at most 2 pixels across
    QVERIFY(!form_->selectionRect()->running());

    press(im(), {200, 200});
    drag(im(), {300, -20});
    QCOMPARE(form_->selection(), std::optional<QRect>(QRect(200, 0, 50, 201)));
    release(im(), {300, -20});
}

void ImportFormTest::clickPicksAColourOnce()
{
    QVERIFY(form_->loadPictureFile(write("p.png", pattern(100, 50))));
    // The 100 x 50 view is centred at (75, 100): view pixel (7, 0) is red.
    const QPoint onRed(75 + 7, 100);
    hover(im(), onRed);
    QCOMPARE(panel(0), QStringLiteral("7 : 0"));
    QCOMPARE(panel(1), QStringLiteral("255"));
    QCOMPARE(im()->cursor().shape(), Qt::PointingHandCursor);
    for (int i = 0; i < 2; ++i) {
        press(im(), onRed);
        release(im(), onRed);
    }
    QCOMPARE(form_->colourItems(), QStringList{"$FF"});
    QVERIFY(!form_->selection());
    hover(im(), {5, 5}); // outside the picture
    QCOMPARE(panel(0), QStringLiteral("0 : 0"));
    QCOMPARE(panel(1), QStringLiteral("12632256"));
    QCOMPARE(im()->cursor().shape(), Qt::ArrowCursor);
}

void ImportFormTest::movingTheSelection()
{
    QVERIFY(form_->loadPictureFile(write("p.png", pattern(250, 250))));
    press(im(), {100, 100});
    drag(im(), {160, 130});
    release(im(), {160, 130});
    TRunningRect* rect = form_->selectionRect();
    drag(rect, {10, 10});
    drag(rect, {20, 15});
    QCOMPARE(form_->selection(), std::optional<QRect>(QRect(110, 105, 60, 30)));
    QCOMPARE(rect->cursor().shape(), Qt::SizeAllCursor);
    release(rect, {20, 15});
    QCOMPARE(form_->selection(), std::optional<QRect>(QRect(110, 105, 60, 30)));
    QVERIFY(form_->colourItems().isEmpty()); // a move is no colour pick
}

void ImportFormTest::panningAndCentring()
{
    // 300 x 320 at 100 %: centring offsets (25, 35).
    QVERIFY(form_->loadPictureFile(write("p300.png", pattern(300, 320))));
    button("bCenter")->click();
    QCOMPARE(form_->model().viewOffset(), QPoint(25, 35));
    // A right drag pans: the picture follows the mouse.
    press(im(), {100, 100}, Qt::RightButton);
    QCOMPARE(im()->cursor().shape(), Qt::ClosedHandCursor);
    drag(im(), {90, 80}, Qt::RightButton);
    QCOMPARE(form_->model().viewOffset(), QPoint(35, 55));
    release(im(), {90, 80}, Qt::RightButton);
    QCOMPARE(im()->cursor().shape(), Qt::PointingHandCursor);

    QVERIFY(form_->loadPictureFile(write("p200.png", pattern(200, 320))));
    button("bCenter")->click();
    QCOMPARE(form_->model().viewOffset(), QPoint(0, 35));

    // A picture that fits both ways does not pan.
    QVERIFY(form_->loadPictureFile(write("p100.png", pattern(100, 100))));
    press(im(), {100, 100}, Qt::RightButton);
    drag(im(), {50, 50}, Qt::RightButton);
    release(im(), {50, 50}, Qt::RightButton);
    QCOMPARE(form_->model().viewOffset(), QPoint(0, 0));
    QVERIFY(!form_->selection());
}

void ImportFormTest::copyAndPaste()
{
    QVERIFY(form_->loadPictureFile(write("p.png", pattern(250, 250))));
    press(im(), {10, 20});
    drag(im(), {40, 60});
    release(im(), {40, 60});
    button("bCopy")->click();
    QImage copied = QGuiApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(30, 40));
    QCOMPARE(copied.pixel(0, 0), pattern(250, 250).pixel(10, 20));

    // A pasted bitmap larger than the view is cut, with the message. It shows
    // in its own colours, whatever the colour depth, until it is rendered again.
    form_->findChild<QSlider*>("tbColor")->setValue(1);
    QGuiApplication::clipboard()->setImage(pattern(300, 100));
    QTRY_VERIFY(button("bPaste")->isEnabled());
    messages_.clear();
    button("bPaste")->click();
    QCOMPARE(form_->model().view().size(), QSize(250, 100));
    QCOMPARE(form_->model().view().pixel(7, 0), qRgb(255, 0, 0));
    QCOMPARE(form_->model().source()->width(), 300);
    QCOMPARE(messages_.size(), size_t(1));
    button("bCenter")->click(); // rendered from x 25 on, in black and white now
    QCOMPARE(form_->model().view().pixel(3, 0), qRgb(0, 0, 0));
    QCOMPARE(form_->model().view().pixel(4, 0), qRgb(255, 255, 255));
}

void ImportFormTest::colourDialogKeepsItsColour()
{
    // The colour dialog opens on black, then on the colour chosen last;
    // a cancelled dialog adds nothing.
    QList<QColor> opened;
    auto answer = [&](std::optional<QColor> choose) {
        QTimer::singleShot(0, this, [&opened, choose] {
            auto* dlg = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            opened << dlg->currentColor();
            if (choose) {
                dlg->setCurrentColor(*choose);
                dlg->accept();
            } else {
                dlg->reject();
            }
        });
    };
    answer(QColor(0x12, 0x34, 0x56));
    button("bAdd")->click();
    answer(std::nullopt);
    button("bAdd")->click();
    QCOMPARE(opened, (QList<QColor>{QColor(Qt::black), QColor(0x12, 0x34, 0x56)}));
    QCOMPARE(form_->colourItems(), QStringList{"$563412"});
}

void ImportFormTest::previewAndRestore()
{
    QVERIFY(form_->loadPictureFile(write("p.png", pattern(40, 30))));
    const QImage original = form_->model().view();
    form_->addColour(qRgb(255, 0, 0));
    button("bPreview")->click();
    const QImage preview = form_->model().view();
    QCOMPARE(preview.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(preview.pixel(1, 0), qRgb(255, 255, 255));
    QCOMPARE(preview.pixel(7, 0), qRgb(0, 0, 0));
    button("bReset")->click();
    QCOMPARE(form_->model().view(), original);
    // A reduced colour depth shows in the status bar and is undone by the reset too.
    form_->findChild<QSlider*>("tbColor")->setValue(1);
    QCOMPARE(panel(2), QStringLiteral("40 x 30 (Черно-белый)"));
    button("bReset")->click();
    QCOMPARE(form_->findChild<QSlider*>("tbColor")->value(), 0);
    QCOMPARE(form_->model().view(), original);
}

void ImportFormTest::acceptAsksFirstAndCrops()
{
    QVERIFY(form_->loadPictureFile(write("p.png", pattern(100, 50))));
    form_->addColour(qRgb(255, 0, 0));
    ws_->doc.field().setText(0, 0, "3");
    int asked = 0;
    form_->querySaveChanges = [&] {
        ++asked;
        return false;
    };
    button("bOK")->click();
    QCOMPARE(asked, 1);
    QVERIFY(form_->isVisible());
    QCOMPARE(ws_->doc.field().colCount(), 5);
    QCOMPARE(ws_->doc.field().text(0, 0), std::string("3"));

    form_->querySaveChanges = [&] {
        ++asked;
        return true;
    };
    form_->hide();
    QTimer::singleShot(0, this, [this] { button("bOK")->click(); });
    QVERIFY(form_->execute());
    QCOMPARE(asked, 2);
    QVERIFY(ws_->doc.modified());
    // The pattern fills every column and row of the picture, so the crop
    // removes only the empty column 0 and row 0: 100 x 50 remain.
    QCOMPARE(ws_->doc.field().colCount(), 100);
    QCOMPARE(ws_->doc.field().rowCount(), 50);
    QVERIFY(ws_->doc.field().isFilled(0, 0));
    QVERIFY(!ws_->doc.field().isFilled(1, 0));
    QVERIFY(ws_->doc.field().isFilled(6, 1));

    // Undo brings the former puzzle back.
    undo(*ws_);
    QCOMPARE(ws_->doc.field().colCount(), 5);
    QCOMPARE(ws_->doc.field().text(0, 0), std::string("3"));
}

void ImportFormTest::acceptWithoutPictureKeepsThePuzzle()
{
    ws_->doc.field().setText(2, 2, "-");
    ws_->doc.field().setSize(12, 9);
    int asked = 0;
    form_->querySaveChanges = [&] {
        ++asked;
        return true;
    };
    form_->addColour(qRgb(255, 0, 0));
    // Enter on the default button, and a click on either accept.
    QTest::keyClick(form_.get(), Qt::Key_Return);
    for (const char* name : {"bOK", "bNoWhite"}) QMetaObject::invokeMethod(button(name), "click");
    QVERIFY(form_->isVisible());
    QCOMPARE(asked, 0);
    QCOMPARE(ws_->doc.field().colCount(), 12);
    QCOMPARE(ws_->doc.field().rowCount(), 9);
    QCOMPARE(ws_->doc.field().text(2, 2), std::string("-"));
}

void ImportFormTest::stopDuringAccept()
{
    QVERIFY(form_->loadPictureFile(write("p.png", pattern(100, 50))));
    form_->addColour(qRgb(255, 0, 0));
    // The conversion lets events run as it starts: the Stop click comes then.
    QTimer::singleShot(0, this, [this] {
        QVERIFY(button("bStop")->isVisible());
        QVERIFY(!button("bPreview")->isVisible());
        button("bStop")->click();
    });
    button("bNoWhite")->click();
    QVERIFY(form_->isVisible());
    QVERIFY(!form_->busy());
    QVERIFY(!ws_->doc.modified());
    QCOMPARE(ws_->doc.field().colCount(), 101); // the new size stays
    QCOMPARE(host_->controls.width.value, 5);
    QVERIFY(!button("bStop")->isVisible());
    QVERIFY(button("bOK")->isEnabled());
}

void ImportFormTest::drops()
{
    QString opened;
    form_->openDocument = [&](const QString& path) { opened = path; };

    form_->dropFiles({dir_.filePath("picture.emf")});
    QCOMPARE(messages_.size(), size_t(1));
    QCOMPARE(messages_[0].text, QStringLiteral("Файл с таким расширением не \nможет быть импортирован в программу"));

    const QString png = write("dropped.PNG", pattern(30, 20));
    form_->dropFiles({png, dir_.filePath("second.png")});
    QCOMPARE(form_->model().view().size(), QSize(30, 20));

    // While the main window computes, drops are ignored.
    {
        BusyScope computing(*host_, false);
        computing.start();
        form_->dropFiles({dir_.filePath("puzzle.kvt")});
        QVERIFY(opened.isEmpty());
    }

    form_->dropFiles({dir_.filePath("puzzle.KvT")});
    QCOMPARE(opened, dir_.filePath("puzzle.KvT"));
    QVERIFY(!form_->isVisible());
    QCOMPARE(form_->result(), int(QDialog::Rejected));
}

void ImportFormTest::settingsAreKept()
{
    QVERIFY(form_->loadPictureFile(write("p.png", pattern(30, 20))));
    form_->addColour(qRgb(255, 0, 0));
    form_->addColour(qRgb(0, 0, 0));
    form_->findChild<QSpinBox*>("rxProc")->setValue(150);
    form_.reset(); // settings are written when the dialog goes

    QSettings s;
    s.beginGroup("TImportForm");
    QCOMPARE(s.value("lbc1.Items").toStringList(), (QStringList{"$FF", "$0"}));
    QCOMPARE(s.value("rxProc.Value").toInt(), 150);
    QCOMPARE(s.value("dlgOpenPic.InitialDir").toString(), dir_.path());

    TImportForm again(*ws_);
    QCOMPARE(again.colourItems(), (QStringList{"$FF", "$0"}));
    QCOMPARE(again.findChild<QSpinBox*>("rxProc")->value(), 150);
    QCOMPARE(again.lastPictureDir(), dir_.path());
}

void ImportFormTest::runningRectDashes()
{
    // Phase 0 on a 20 x 20 rectangle: three dashes per edge (i = 0, 1, 2),
    // each 6 pixels from its start up to, not including, its end; a corner
    // where two dashes meet is inverted twice and stays white.
    auto edges = [](int phase) {
        QImage img(20, 20, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            TRunningRect::paintDashes(p, 20, 20, phase);
        }
        QStringList out;
        auto line = [&](auto pixel) {
            QString s;
            for (int i = 0; i < 20; ++i) s += pixel(i) == qRgb(0, 0, 0) ? '#' : '.';
            out << s;
        };
        line([&](int i) { return img.pixel(i, 0); });  // top, left to right
        line([&](int i) { return img.pixel(19, i); }); // right, top to bottom
        line([&](int i) { return img.pixel(i, 19); }); // bottom, left to right
        line([&](int i) { return img.pixel(0, i); });  // left, top to bottom
        return out;
    };
     QCOMPARE(edges(0), (QStringList{".#####....######...#", "######....######...#", ".....######....#####",
                                    ".....######....####."}));
    // The dashes run clockwise: right along the top, down the right side.
    QCOMPARE(edges(3).mid(0, 2), (QStringList{"...######....######.", "...######....######."}));

    TRunningRect rect;
    QVERIFY(rect.running());
    rect.setVisible(false);
    QVERIFY(!rect.running());
    rect.setVisible(true);
    QVERIFY(rect.running());
}

void ImportFormTest::tabOrderAndLayout()
{
    QCOMPARE(tabOrder(form_.get()), (QStringList{"lbc1", "bAdd", "bDel", "bBrowse", "bCopy", "bCenter", "bPaste", "bReset",
                                                 "bPreview", "bStop", "rxProc", "tbColor", "bOK", "bNoWhite", "bCancel"}));
    checkLayout(form_.get());
}

void ImportFormTest::largeTypeFits()
{
    const QFont normal = QApplication::font();
    QFont large = normal;
    large.setPointSizeF(normal.pointSizeF() * 1.75);
    QApplication::setFont(large);
    struct Restore {
        QFont font;
        ~Restore() { QApplication::setFont(font); }
    } restore{normal};
    TImportForm big(*ws_);
    big.show();
    QVERIFY(QTest::qWaitForWindowExposed(&big));
    QVERIFY(big.width() > form_->width() && big.height() > form_->height());
    checkLayout(&big);
}

void ImportFormTest::enlargingGrowsTheView()
{
    QWidget* view = form_->findChild<QWidget*>("Image1");
    QPushButton* ok = button("bOK");
    const QSize viewBefore = view->size(), okBefore = ok->size();
    const QSize larger = form_->size() + QSize(200, 150);
    form_->resize(larger);
    QTRY_COMPARE(form_->size(), larger);
    QCOMPARE(view->size(), viewBefore + QSize(200, 150));
    QCOMPARE(ok->size(), okBefore);
    checkLayout(form_.get());
}

QTEST_MAIN(ImportFormTest)
#include "test_importform.moc"
