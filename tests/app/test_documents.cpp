// The document commands of the main window: new, open, save, the recent
// files, the questions, the start-up file and the file association.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <QAbstractFileIconProvider>
#include <QFileDialog>
#include <QLabel>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "app/documentcommands.h"
#include "app/fileassociation.h"
#include "app/filedialogs.h"
#include "app/mainwindow.h"
#include "app/recentfiles.h"
#include "app/errorhandler.h"
#include "editing/fieldsizecontrols.h"
#include "editing/gridview.h"
#include "editing/spinedit.h"
#include "core/workspace.h"
#include "files/kvtformat.h"
#include "widgets/filedialogsafety.h"
#include "widgets/messagebox.h"

using namespace klt;
using Variant = DocumentCommands::SaveVariant;

namespace {

struct Box {
    MessageKind kind;
    QString text;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class DocumentsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveSelectionKeepsDocumentName();
    void saveAsksOnlyForTheExactNoName();
    void kvtInAnyCaseOpensAsOwnFormat_data();
    void kvtInAnyCaseOpensAsOwnFormat();
    void foreignFileNamesTheDocumentKvt();
    void saveChangesQuestion_data();
    void saveChangesQuestion();
    void failedOpenKeepsPuzzleAndName();
    void failedSaveKeepsNameAndCaption();
    void newAndOpenDropTheFormerPuzzlesHiddenCells();
    void specialFilesAreNeverRead();
    void closeQuestion();
    void startUpFile();
    void recentListOrderUniquenessAndLimit();
    void recentListStoredAnew();
    void missingRecentFileStays();
    void associationWrittenOnce();
    void installedEntryTakesThePlaceOfTheAssociation();
    void associationFailureIsAnError();

private:
    QString path(const QString& name) const { return dir->filePath(name); }
    void drawCross(); // a filled cell at (0,0) and (1,1), the puzzle is modified

    QTemporaryDir* dir = nullptr;
    std::unique_ptr<Workspace> puzzle;
    MainWindow* w = nullptr;
    DocumentCommands* docs = nullptr;
    std::vector<Box> boxes;
    std::deque<MessageButton> answers;
    QStringList saveDialogStarts;
    QString saveAnswer;
};

void DocumentsTest::init()
{
    dir = new QTemporaryDir;
    boxes.clear();
    answers.clear();
    saveDialogStarts.clear();
    saveAnswer.clear();
    setMessageHook([this](MessageKind kind, const QString& text, const QString&) {
        boxes.push_back({kind, text});
        if (answers.empty()) return kind == MessageKind::Question ? MessageButton::Cancel : MessageButton::Ok;
        const MessageButton b = answers.front();
        answers.pop_front();
        return b;
    });
    puzzle = std::make_unique<Workspace>(); // outlives the window
    w = new MainWindow(*puzzle);
    docs = w->documents();
    docs->setSaveDialog([this](const QString& current) {
        saveDialogStarts << current;
        return saveAnswer;
    });
    docs->setOpenDialog([](const QString&) { return QString(); });
    docs->formShow({});
}

void DocumentsTest::cleanup()
{
    delete w;
    w = nullptr;
    setMessageHook({});
    delete dir;
}

void DocumentsTest::drawCross()
{
    Workspace& ws = w->workspace();
    ws.doc.field().setText(0, 0, "-");
    ws.doc.field().setText(1, 1, "-");
    ws.doc.setModified(true);
}

void DocumentsTest::saveSelectionKeepsDocumentName()
{
    Workspace& ws = w->workspace();
    drawCross();
    saveAnswer = path("cat.kvt");
    QVERIFY(docs->saveDocument(Variant::Save));
    QCOMPARE(docs->documentName(), path("cat.kvt"));
    QVERIFY(!ws.doc.modified());

    ws.doc.setModified(true);
    ws.cursor.selection = CellRect{0, 0, 1, 1};
    saveAnswer = path("part.kvt");
    QVERIFY(docs->saveDocument(Variant::Selection));
    QCOMPARE(saveDialogStarts.last(), QStringLiteral("NONAME.KVT"));
    QCOMPARE(docs->documentName(), path("cat.kvt"));
    // The caption names the document that Save writes, not the part.
    QCOMPARE(w->windowTitle(), QStringLiteral("Клетомер-") + path("cat.kvt"));
    QCOMPARE(docs->recentFiles()->entries().value(0), path("part.kvt"));
    QVERIFY(ws.doc.modified());
    QVERIFY(readAll(path("part.kvt")).contains("Width=2"));

    saveAnswer.clear(); // Cancel in the dialog
    QVERIFY(!docs->saveDocument(Variant::Selection));
    QCOMPARE(docs->documentName(), path("cat.kvt"));

    // A plain Save of the named puzzle writes without asking.
    const int asked = saveDialogStarts.size();
    QVERIFY(docs->saveDocument(Variant::Save));
    QCOMPARE(saveDialogStarts.size(), asked);
    QVERIFY(!ws.doc.modified());
}

void DocumentsTest::saveAsksOnlyForTheExactNoName()
{
    // A real file that merely ends in the unnamed name is saved without asking.
    QDir().mkpath(path("sub"));
    const QString named = path("sub/NONAME.KVT");
    writeAll(named, "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\n");
    QVERIFY(docs->openDocument(named));
    drawCross();
    QVERIFY(docs->saveDocument(Variant::Save));
    QVERIFY(saveDialogStarts.isEmpty());
    QVERIFY(readAll(named).contains("Str0=;-"));
}

void DocumentsTest::kvtInAnyCaseOpensAsOwnFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("lower") << "a.kvt";
    QTest::newRow("upper") << "b.KVT";
    QTest::newRow("mixed") << "c.Kvt";
}

void DocumentsTest::kvtInAnyCaseOpensAsOwnFormat()
{
    QFETCH(QString, name);
    writeAll(path(name), "[Options]\r\nHeight=5\r\nWidth=6\r\nCellSize=30\r\n[Field]\r\nStr0=;-;3\r\n");
    QVERIFY(docs->openDocument(path(name)));
    const Workspace& ws = w->workspace();
    QCOMPARE(ws.doc.field().colCount(), 6);
    QCOMPARE(ws.doc.field().text(1, 0), std::string("3"));
    QCOMPARE(ws.doc.cellSize(), 30);
    QCOMPARE(docs->documentName(), path(name));
    QCOMPARE(w->windowTitle(), QStringLiteral("Клетомер-") + path(name));
    QVERIFY(w->action("acUndo")->isEnabled());
    QVERIFY(docs->recentFiles()->entries().isEmpty()); // only the dialog's Open adds it
    QVERIFY(boxes.empty());
}

void DocumentsTest::foreignFileNamesTheDocumentKvt()
{
    writeAll(path("x.crs"), "\x02JC2.5\x02\r\nx\r\n2 2\r\n1 #\r\n# 2\r\n");
    docs->setOpenDialog([this](const QString&) { return path("x.crs"); });
    w->action("acOpen")->trigger();
    QVERIFY2(boxes.empty(), boxes.empty() ? "" : qPrintable(boxes.front().text));
    QCOMPARE(docs->documentName(), path("x.KVT"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Клетомер-") + path("x.crs"));
    QCOMPARE(docs->recentFiles()->entries(), QStringList{path("x.KVT")});
    QVERIFY(!w->action("acUndo")->isEnabled());

    // Save writes the own format beside it without asking.
    QVERIFY(docs->saveDocument(Variant::Save));
    QVERIFY(saveDialogStarts.isEmpty());
    QVERIFY(QFileInfo::exists(path("x.KVT")));

    // The next snapshot (here a recolouring) is a state to go back to.
    w->grid()->setFocus();
    w->workspace().cursor.selection = CellRect{0, 0, 0, 0};
    w->action("acInvert")->trigger();
    QVERIFY(w->action("acUndo")->isEnabled());
}

void DocumentsTest::saveChangesQuestion_data()
{
    QTest::addColumn<QList<int>>("replies"); // answers in order
    QTest::addColumn<QString>("saveTo");     // the save dialog's answer
    QTest::addColumn<bool>("cleared");
    QTest::newRow("cancel") << QList<int>{int(MessageButton::Cancel)} << QString() << false;
    QTest::newRow("no") << QList<int>{int(MessageButton::No)} << QString() << true;
    QTest::newRow("yes, dialog cancelled") << QList<int>{int(MessageButton::Yes)} << QString() << false;
    QTest::newRow("yes, saved") << QList<int>{int(MessageButton::Yes)} << QStringLiteral("saved.kvt") << true;
}

void DocumentsTest::saveChangesQuestion()
{
    QFETCH(QList<int>, replies);
    QFETCH(QString, saveTo);
    QFETCH(bool, cleared);
    drawCross();
    for (int r : replies) answers.push_back(MessageButton(r));
    saveAnswer = saveTo.isEmpty() ? QString() : path(saveTo);
    w->action("acNew")->trigger();

    QCOMPARE(boxes.size(), size_t(1)); // the question only: Cancel is silent
    QCOMPARE(boxes[0].text, QStringLiteral("Изменения не сохранены. Сохранить изменения?"));
    const Workspace& ws = w->workspace();
    QCOMPARE(ws.doc.field().text(0, 0).empty(), cleared);
    QCOMPARE(ws.doc.modified(), !cleared);
    if (!saveTo.isEmpty()) QVERIFY(readAll(path(saveTo)).contains("Str0=;-"));
}

void DocumentsTest::failedOpenKeepsPuzzleAndName()
{
    drawCross();
    const QString before = docs->documentName();
    // A file that declares a refused size.
    writeAll(path("huge.kvt"), "[Options]\r\nHeight=100000\r\nWidth=100000\r\n[Field]\r\n");
    QVERIFY(!docs->openDocument(path("huge.kvt")));
    // The save question, answered with Cancel, abandons the open too.
    writeAll(path("ok.kvt"), "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\n");
    answers = {MessageButton::Cancel};
    docs->setOpenDialog([this](const QString&) { return path("ok.kvt"); });
    w->action("acOpen")->trigger();

    QFile unreadable(path("locked.kvt"));
    writeAll(unreadable.fileName(), "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\n");
    unreadable.setPermissions(QFileDevice::WriteOwner);
    if (!QFileInfo(unreadable.fileName()).isReadable()) {
        QVERIFY(!docs->openDocument(unreadable.fileName()));
        QVERIFY(boxes.back().text.startsWith(QStringLiteral("Ошибка чтения с диска. Файл ")));
    }

    QCOMPARE(w->workspace().doc.field().text(0, 0), std::string("-"));
    QVERIFY(w->workspace().doc.modified());
    QCOMPARE(docs->documentName(), before);
    QVERIFY(docs->recentFiles()->entries().isEmpty());
}

void DocumentsTest::failedSaveKeepsNameAndCaption()
{
    drawCross();
    saveAnswer = path("cat.kvt");
    QVERIFY(docs->saveDocument(Variant::Save));
    drawCross();
    const QString caption = w->windowTitle();
    // Save As into a folder that does not exist cannot be written.
    saveAnswer = path("missing/dir/other.kvt");
    guarded([&] { docs->saveDocument(Variant::SaveAs); });
    QVERIFY(!QFileInfo::exists(saveAnswer));
    QCOMPARE(docs->documentName(), path("cat.kvt"));
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(!docs->recentFiles()->entries().contains(saveAnswer));
    QVERIFY(w->workspace().doc.modified());

    // Opening a file that the kernel makes up as it is read is refused at
    // once instead of waiting for it for good.
    if (QFileInfo::exists(QStringLiteral("/proc/self/status"))) {
        QVERIFY(!docs->openDocument(QStringLiteral("/proc/self/status")));
        QCOMPARE(docs->documentName(), path("cat.kvt"));
        QCOMPARE(w->workspace().doc.field().text(0, 0), std::string("-"));
    }
}

void DocumentsTest::newAndOpenDropTheFormerPuzzlesHiddenCells()
{
    Workspace& ws = w->workspace();
    // Ten columns with something in each, then narrowed to five.
    w->sizeControls()->widthEdit()->showValue(10);
    for (int c = 0; c < 10; ++c) ws.doc.field().setText(c, 0, "-");
    w->sizeControls()->widthEdit()->showValue(5);
    QCOMPARE(ws.doc.field().colCount(), 5);
    answers = {MessageButton::No};
    w->action("acNew")->trigger();
    w->sizeControls()->widthEdit()->showValue(10);
    for (int c = 0; c < 10; ++c) QCOMPARE(ws.doc.field().text(c, 0), std::string());

    for (int c = 0; c < 10; ++c) ws.doc.field().setText(c, 1, "3");
    w->sizeControls()->widthEdit()->showValue(5);
    writeAll(path("small.kvt"), "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr0=;-\r\n");
    answers = {MessageButton::No};
    QVERIFY(docs->openDocument(path("small.kvt")));
    w->sizeControls()->widthEdit()->showValue(10);
    for (int c = 1; c < 10; ++c) QCOMPARE(ws.doc.field().text(c, 1), std::string());
}

void DocumentsTest::specialFilesAreNeverRead()
{
    // Opening a FIFO for reading waits for a writer: whatever reads it blocks.
    const QString fifo = path("pipe.kvt");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    // Should anything read it after all, a writer comes after a while and
    // lets the test fail instead of hanging.
    std::atomic<bool> rescued{false}, done{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 100 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (done) return;
        rescued = true;
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    });

    QFileDialog dlg;
    keepFromReadingFiles(dlg);
    QVERIFY(!dlg.iconProvider()->type(QFileInfo(fifo)).isEmpty());
    QLabel image, caption;
    showFilePreview(&image, &caption, fifo);
    QVERIFY(caption.text().isEmpty());
    QVERIFY(!docs->openDocument(fifo));
    done = true;
    watchdog.join();
    QVERIFY(!rescued);
}

void DocumentsTest::closeQuestion()
{
    answers = {MessageButton::No};
    QVERIFY(!docs->formCloseQuery());
    QCOMPARE(boxes.back().text, QStringLiteral("Выйти из программы?"));
    answers = {MessageButton::Yes};
    QVERIFY(docs->formCloseQuery());

    // Modified: the save question alone decides.
    drawCross();
    boxes.clear();
    answers = {MessageButton::No};
    QVERIFY(docs->formCloseQuery());
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].text, QStringLiteral("Изменения не сохранены. Сохранить изменения?"));
    answers = {MessageButton::Cancel};
    QVERIFY(!docs->formCloseQuery());
}

void DocumentsTest::startUpFile()
{
    // Blank is any run of characters 0..32, control characters included.
    for (const QString& arg : {QStringLiteral("   "), QStringLiteral(" \x01\t\x1f ")}) {
        Workspace blankPuzzle;
        MainWindow blank(blankPuzzle);
        blank.setStartArguments({arg});
        blank.show();
        QCOMPARE(blank.windowTitle(), QStringLiteral("Клетомер-NONAME.KVT"));
        QCOMPARE(blank.documents()->documentName(), QStringLiteral("NONAME.KVT"));
    }
    QVERIFY(boxes.empty());

    // A foreign file named at start shows its own path; Save writes the
    // ".KVT" beside it.
    writeAll(path("y.crs"), "\x02JC2.5\x02\r\ny\r\n2 2\r\n1 #\r\n# 2\r\n");
    {
        Workspace foreignPuzzle;
        MainWindow foreign(foreignPuzzle);
        foreign.setStartArguments({path("y.crs")});
        foreign.show();
        QCOMPARE(foreign.windowTitle(), QStringLiteral("Клетомер-") + path("y.crs"));
        QCOMPARE(foreign.documents()->documentName(), path("y.KVT"));
    }
    QVERIFY(boxes.empty());

    // A file that is there but refused: a later Save asks instead of
    // writing over it.
    const QString huge = path("huge.kvt");
    const QByteArray hugeBytes = "[Options]\r\nHeight=100000\r\nWidth=5\r\n[Field]\r\n";
    writeAll(huge, hugeBytes);
    {
        Workspace refusedPuzzle;
        MainWindow refused(refusedPuzzle);
        refused.setStartArguments({huge});
        refused.show();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(refused.windowTitle(), QStringLiteral("Клетомер"));
        QCOMPARE(refused.documents()->documentName(), QStringLiteral("NONAME.KVT"));
        QStringList asked;
        refused.documents()->setSaveDialog([&asked](const QString& current) {
            asked << current;
            return QString();
        });
        QVERIFY(!refused.documents()->saveDocument(Variant::Save));
        QCOMPARE(asked, QStringList{QStringLiteral("NONAME.KVT")});
        QCOMPARE(readAll(huge), hugeBytes);
    }

    boxes.clear();
    Workspace missingPuzzle;
    MainWindow missing(missingPuzzle);
    const QString gone = path("gone.kvt");
    missing.setStartArguments({gone});
    missing.show();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].text, QStringLiteral("Файл %1 не найден.").arg(gone));
    QCOMPARE(missing.windowTitle(), QStringLiteral("Клетомер"));
    QCOMPARE(missing.documents()->documentName(), gone);

    // A later Save writes there without asking.
    missing.workspace().doc.field().setText(0, 0, "-");
    missing.documents()->setSaveDialog([](const QString&) -> QString { throw std::logic_error("asked"); });
    QVERIFY(missing.documents()->saveDocument(Variant::Save));
    QVERIFY(QFileInfo::exists(gone));
}

void DocumentsTest::recentListOrderUniquenessAndLimit()
{
    QMenu menu;
    menu.addAction(QStringLiteral("Выход"));
    RecentFiles recent(&menu);
    for (int i = 0; i < 12; ++i) recent.add(QStringLiteral("/p/f%1.kvt").arg(i));
    QCOMPARE(recent.entries().size(), 10);
    QCOMPARE(recent.entries().first(), QStringLiteral("/p/f11.kvt"));
    QCOMPARE(recent.entries().last(), QStringLiteral("/p/f2.kvt"));

    recent.add(QStringLiteral("/P/F5.KVT")); // already listed in another case: moved up, not doubled
    QCOMPARE(recent.entries().size(), 10);
    QCOMPARE(recent.entries().first(), QStringLiteral("/P/F5.KVT"));
    QCOMPARE(recent.entries().filter(QStringLiteral("f5"), Qt::CaseInsensitive).size(), 1);

    const QList<QAction*> items = menu.actions();
    QCOMPARE(items.size(), 1 + 1 + 10); // "Выход", the separator, the entries
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[2]->text(), QStringLiteral("&1\t/P/F5.KVT"));
    QCOMPARE(items[10]->text().left(3), QStringLiteral("&9\t"));
    QCOMPARE(items[11]->text(), QStringLiteral("&A\t") + recent.entries().last());
}

void DocumentsTest::recentListStoredAnew()
{
    QSettings s(path("settings.ini"), QSettings::IniFormat);
    RecentFiles recent(nullptr);
    recent.setEntries({QStringLiteral("/a.kvt"), QStringLiteral("/b.kvt"), QStringLiteral("/c.kvt")});
    recent.save(s);
    recent.setEntries({QStringLiteral("/d.kvt")});
    recent.save(s);
    s.sync();
    QCOMPARE(s.value(QStringLiteral("TMainForm.mru/Item_0")).toString(), QStringLiteral("/d.kvt"));
    QVERIFY(!s.contains(QStringLiteral("TMainForm.mru/Item_1")));

    recent.setEntries({QStringLiteral("/new.kvt"), QStringLiteral("/old.kvt")});
    recent.save(s);
    RecentFiles back(nullptr);
    back.restore(s);
    QCOMPARE(back.entries(), (QStringList{QStringLiteral("/new.kvt"), QStringLiteral("/old.kvt")}));
}

void DocumentsTest::missingRecentFileStays()
{
    drawCross();
    docs->recentFiles()->add(path("gone.kvt"));
    const QList<QAction*> items = docs->recentFiles()->menuItems();
    QCOMPARE(items.size(), 1);
    items[0]->trigger();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].kind, MessageKind::Error);
    QCOMPARE(boxes[0].text, QStringLiteral("Файл %1 не найден.").arg(path("gone.kvt")));
    QCOMPARE(docs->recentFiles()->entries(), QStringList{path("gone.kvt")});
    QCOMPARE(w->workspace().doc.field().text(0, 0), std::string("-"));
}

void DocumentsTest::associationWrittenOnce()
{
    const QString home = path("data");
    const QString program = QStringLiteral("/opt/my games/kletomer");
    QVERIFY(registerFileType(home, program, false));
    const AssociationFiles files = associationFiles(home);
    const QByteArray mime = readAll(files.mimePackage);
    QVERIFY(mime.contains("<glob pattern=\"*.kvt\"/>"));
    QVERIFY(mime.contains(QStringLiteral("<comment>Клетомер</comment>").toUtf8()));
    const QByteArray desktop = readAll(files.desktopEntry);
    QVERIFY(desktop.contains("\nExec=\"/opt/my games/kletomer\" %f\n"));
    QVERIFY(desktop.contains("MimeType=application/x-kletomer;"));

    const QDateTime stamp = QFileInfo(files.desktopEntry).lastModified();
    QTest::qWait(20);
    QVERIFY(!registerFileType(home, program, false));
    QCOMPARE(QFileInfo(files.desktopEntry).lastModified(), stamp);
    QCOMPARE(readAll(files.mimePackage), mime);

    // A moved program is written anew.
    QVERIFY(registerFileType(home, QStringLiteral("/usr/bin/kletomer"), false));
    QVERIFY(readAll(files.desktopEntry).contains("Exec=\"/usr/bin/kletomer\" %f"));
}

void DocumentsTest::installedEntryTakesThePlaceOfTheAssociation()
{
    const QString system = path("system"), other = path("other");
    QVERIFY(QDir().mkpath(system + QStringLiteral("/applications")));
    QVERIFY(!installedAssociation({other, system}));
    writeAll(system + QStringLiteral("/applications/ru.kletomer.Kletomer.desktop"), "[Desktop Entry]\n");
    QVERIFY(installedAssociation({other, system}));
    QVERIFY(!installedAssociation({other}));
    qputenv("XDG_DATA_DIRS", (other + u':' + system + QStringLiteral(":relative")).toUtf8());
    QCOMPARE(systemDataDirs(), (QStringList{other, system}));
    qunsetenv("XDG_DATA_DIRS");
    QCOMPARE(systemDataDirs(), (QStringList{QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")}));
}

void DocumentsTest::associationFailureIsAnError()
{
    writeAll(path("file"), "not a folder");
    QVERIFY_THROWS_EXCEPTION(CommandError, registerFileType(path("file"), QStringLiteral("/usr/bin/kletomer"), false));
}

QTEST_MAIN(DocumentsTest)
#include "test_documents.moc"
