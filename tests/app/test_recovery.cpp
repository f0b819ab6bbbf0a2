// The recovery copies of the main window: when they are written and deleted,
// and how the copies of a run that died are offered back.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>

#include "app/documentcommands.h"
#include "app/mainwindow.h"
#include "app/recoverykeeper.h"
#include "core/workspace.h"
#include "files/kvtformat.h"
#include "files/recovery.h"
#include "widgets/messagebox.h"

using namespace klt;

namespace {

struct Box {
    MessageKind kind;
    QString text, caption;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ino_t inode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The puzzle part of a copy or a puzzle file: everything before "[Recovery]".
QByteArray puzzlePart(const QByteArray& bytes)
{
    const int at = bytes.indexOf("[Recovery]");
    return at < 0 ? bytes : bytes.left(at);
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void copyFollowsUnsavedChanges();
    void generationWritesAtOnce();
    void normalCloseLeavesNothing();
    void yesOpensTheCopyUnderItsName_data();
    void yesOpensTheCopyUnderItsName();
    void noDeletesCancelKeeps_data();
    void noDeletesCancelKeeps();
    void eachOrphanInTurnAfterTheSaveQuestion();
    void cancelledSaveQuestionKeepsEverything();

private:
    QString folder() const { return dir->filePath("recovery"); }
    QString path(const QString& name) const { return dir->filePath(name); }
    void startKeeper(int intervalMs);
    // A copy left by a run that died: rows of cell texts, recorded under name.
    QString leaveOrphan(const std::string& id, const std::vector<std::vector<std::string>>& rows,
                        const std::string& name, const std::string& saved = "2024-03-01T14:05:09");
    QStringList recoveryFiles() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    Workspace& ws() { return w->workspace(); }
    void edit(int c, int r, const char* text)
    {
        ws().doc.field().setText(c, r, text);
        ws().doc.setModified(true);
    }

    QTemporaryDir* dir = nullptr;
    std::unique_ptr<Workspace> puzzle;
    MainWindow* w = nullptr;
    std::unique_ptr<RecoveryKeeper> keeper;
    std::vector<Box> boxes;
    std::deque<MessageButton> answers;
    QString saveAnswer;
};

void RecoveryTest::init()
{
    dir = new QTemporaryDir;
    boxes.clear();
    answers.clear();
    saveAnswer.clear();
    setMessageHook([this](MessageKind kind, const QString& text, const QString& caption) {
        boxes.push_back({kind, text, caption});
        if (answers.empty()) return kind == MessageKind::Question ? MessageButton::Cancel : MessageButton::Ok;
        const MessageButton b = answers.front();
        answers.pop_front();
        return b;
    });
    puzzle = std::make_unique<Workspace>(); // outlives the window
    w = new MainWindow(*puzzle);
    w->documents()->setSaveDialog([this](const QString&) { return saveAnswer; });
    w->documents()->formShow({});
}

void RecoveryTest::cleanup()
{
    keeper.reset();
    delete w;
    w = nullptr;
    setMessageHook({});
    delete dir;
}

void RecoveryTest::startKeeper(int intervalMs)
{
    keeper = std::make_unique<RecoveryKeeper>(*w, folder(), intervalMs);
}

QString RecoveryTest::leaveOrphan(const std::string& id, const std::vector<std::vector<std::string>>& rows,
                                  const std::string& name, const std::string& saved)
{
    Workspace p;
    p.doc.field().setSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) p.doc.field().setText(int(c), int(r), rows[r][c]);
    RecoveryStore owner(folder().toStdString(), id);
    owner.write(p, RecoveryInfo{name, saved});
    return QString::fromStdString(owner.copyPath()); // the owner "dies" here: its lock goes
}

void RecoveryTest::copyFollowsUnsavedChanges()
{
    startKeeper(20);
    const QString copy = keeper->copyPath();
    QTest::qWait(100);
    QVERIFY(!QFile::exists(copy)); // nothing unsaved, nothing written

    edit(0, 0, "-");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), 5000);
    QVERIFY(readAll(copy).contains("Str0=;-; ;"));
    QVERIFY(readAll(copy).contains("Document=NONAME.KVT\r\n"));

    // Without a change the copy is not written again.
    const ino_t first = inode(copy); // every write makes a new file
    QTest::qWait(150);
    QCOMPARE(inode(copy), first);

    // A cell (even one that leaves the modified flag as it is), the prize
    // phrase or the cell size each make a new copy.
    ws().doc.field().setText(1, 0, "7");
    QTRY_VERIFY_WITH_TIMEOUT(readAll(copy).contains("Str0=;-;7;"), 5000);
    ws().doc.prizePhrase = "KOT";
    QTRY_VERIFY_WITH_TIMEOUT(readAll(copy).contains("Word=KOT\r\n"), 5000);
    ws().doc.setCellSize(33);
    QTRY_VERIFY_WITH_TIMEOUT(readAll(copy).contains("CellSize=33\r\n"), 5000);

    // Saving ends the unsaved changes and the copy with them.
    saveAnswer = path("cat.kvt");
    QVERIFY(w->documents()->saveDocument(DocumentCommands::SaveVariant::Save));
    QVERIFY(!QFile::exists(copy));

    // The next change records the document's name; New without saving drops it.
    edit(2, 2, "-");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), 5000);
    QVERIFY(readAll(copy).contains(("Document=" + path("cat.kvt") + "\r\n").toUtf8()));
    answers = {MessageButton::No};
    w->action("acNew")->trigger();
    QVERIFY(!ws().doc.modified());
    QVERIFY(!QFile::exists(copy));
    QCOMPARE(recoveryFiles(), QStringList{QFileInfo(copy).completeBaseName() + ".lock"});
}

void RecoveryTest::generationWritesAtOnce()
{
    startKeeper(3600 * 1000);
    ws().doc.field().setText(1, 1, "-");
    ws().doc.field().setText(2, 1, "-");
    w->action("acCalc")->trigger();
    QVERIFY(ws().doc.modified());
    const QByteArray copy = readAll(keeper->copyPath());
    QVERIFY(!copy.isEmpty());
    // The copy holds the generated puzzle as a save writes it.
    saveKvt(ws(), path("now.kvt").toStdString());
    QCOMPARE(puzzlePart(copy), readAll(path("now.kvt")));
}

void RecoveryTest::normalCloseLeavesNothing()
{
    startKeeper(20);
    edit(0, 0, "-");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(keeper->copyPath()), 5000);
    answers = {MessageButton::No}; // drop the changes
    QVERIFY(w->close());
    QVERIFY(recoveryFiles().isEmpty());
}

void RecoveryTest::yesOpensTheCopyUnderItsName_data()
{
    QTest::addColumn<bool>("named");
    QTest::newRow("named") << true;
    QTest::newRow("unnamed") << false;
}

void RecoveryTest::yesOpensTheCopyUnderItsName()
{
    QFETCH(bool, named);
    const QString name = named ? path("cat.kvt") : QStringLiteral("NONAME.KVT");
    const QString orphan = leaveOrphan("100-1", {{"-", "3", ""}, {"", "-", "-"}}, name.toStdString());
    const QByteArray orphanBytes = readAll(orphan);
    startKeeper(3600 * 1000);
    answers = {MessageButton::Yes};
    keeper->offerOrphans();

    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].kind, MessageKind::Question);
    QCOMPARE(boxes[0].caption, QString());
    QCOMPARE(boxes[0].text, QStringLiteral("Восстановить несохранённую мозаику \"%1\" от 01.03.2024 14:05:09?").arg(name));

    QCOMPARE(ws().doc.field().text(0, 0), std::string("-"));
    QCOMPARE(ws().doc.field().text(1, 0), std::string("3"));
    QCOMPARE(ws().doc.field().text(2, 1), std::string("-"));
    QVERIFY(ws().doc.modified());
    QCOMPARE(w->documents()->documentName(), name);
    QCOMPARE(w->windowTitle(), QStringLiteral("Клетомер-") + name);
    // This run took the puzzle over: its own copy, and the orphan is gone.
    QVERIFY(!QFile::exists(orphan));
    const QByteArray own = readAll(keeper->copyPath());
    QCOMPARE(puzzlePart(own), puzzlePart(orphanBytes));
    QVERIFY(own.contains(("Document=" + name + "\r\n").toUtf8()));

    // Save goes to the recorded file, or asks for one.
    saveAnswer = path("chosen.kvt");
    QVERIFY(w->documents()->saveDocument(DocumentCommands::SaveVariant::Save));
    const QString written = named ? name : saveAnswer;
    QCOMPARE(readAll(written), puzzlePart(orphanBytes));
    QVERIFY(!QFile::exists(keeper->copyPath()));
}

void RecoveryTest::noDeletesCancelKeeps_data()
{
    QTest::addColumn<MessageButton>("answer");
    QTest::addColumn<bool>("kept");
    QTest::newRow("No") << MessageButton::No << false;
    QTest::newRow("Cancel") << MessageButton::Cancel << true;
}

void RecoveryTest::noDeletesCancelKeeps()
{
    QFETCH(MessageButton, answer);
    QFETCH(bool, kept);
    const QString orphan = leaveOrphan("100-1", {{"-", "-"}}, "/x/cat.kvt");
    startKeeper(3600 * 1000);
    answers = {answer};
    keeper->offerOrphans();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(QFile::exists(orphan), kept);
    QVERIFY(ws().doc.field().text(0, 0).empty());
    QVERIFY(!ws().doc.modified());

    // A kept copy is offered again by the next start.
    keeper.reset();
    startKeeper(3600 * 1000);
    keeper->offerOrphans();
    QCOMPARE(boxes.size(), size_t(kept ? 2 : 1));
}

void RecoveryTest::eachOrphanInTurnAfterTheSaveQuestion()
{
    const QString older = leaveOrphan("100-1", {{"1", "1"}}, "/x/older.kvt", "2024-01-01T10:00:00");
    const QString newer = leaveOrphan("200-1", {{"2", "2"}}, "/x/newer.kvt", "2024-01-02T10:00:00");
    const timespec past[2] = {{1000, 0}, {1000, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(older).constData(), past, 0), 0);
    startKeeper(3600 * 1000);
    // Yes to the newer; Yes to the older too, and No to saving the newer first.
    answers = {MessageButton::Yes, MessageButton::Yes, MessageButton::No};
    keeper->offerOrphans();

    QCOMPARE(boxes.size(), size_t(3));
    QVERIFY(boxes[0].text.contains("/x/newer.kvt"));
    QVERIFY(boxes[1].text.contains("/x/older.kvt"));
    QCOMPARE(boxes[2].text, QStringLiteral("Изменения не сохранены. Сохранить изменения?"));
    QCOMPARE(ws().doc.field().text(0, 0), std::string("1"));
    QCOMPARE(w->documents()->documentName(), QStringLiteral("/x/older.kvt"));
    QVERIFY(!QFile::exists(older) && !QFile::exists(newer));
    QVERIFY(readAll(keeper->copyPath()).contains("Document=/x/older.kvt"));
}

void RecoveryTest::cancelledSaveQuestionKeepsEverything()
{
    const QString orphan = leaveOrphan("100-1", {{"3", "3"}}, "/x/a.kvt");
    leaveOrphan("50-1", {{"4", "4"}}, "/x/b.kvt");
    startKeeper(3600 * 1000);
    edit(0, 0, "-");
    answers = {MessageButton::Yes, MessageButton::Cancel};
    keeper->offerOrphans();

    QCOMPARE(boxes.size(), size_t(2)); // the save question's Cancel ends the offer
    QCOMPARE(ws().doc.field().text(0, 0), std::string("-"));
    QVERIFY(ws().doc.modified());
    QVERIFY(QFile::exists(orphan));
    QCOMPARE(recoveryFiles().filter(".kvt").size(), 2);
}

QTEST_MAIN(RecoveryTest)
#include "test_recovery.moc"
