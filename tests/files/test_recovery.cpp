#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/cp1251.h"
#include "files/document.h"
#include "files/kvtformat.h"
#include "files/recovery.h"
#include "filestest.h"

using namespace klt;
using kltest::Puzzle;
using kltest::readBytes;
using kltest::writeBytes;
using Row = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

// Cells a save would trim, an empty cell inside a row and at its end.
void fillPuzzle(Puzzle& p)
{
    p.ws.doc.field().setSize(3, 2);
    p.ws.doc.setCellSize(31);
    p.ws.doc.prizePhrase = utf8ToCp1251("КОТ");
    p.setRow(0, {"-3", " 7 ", ""});
    p.setRow(1, {"", "-", utf8ToCp1251("-А")});
}

std::vector<std::string> names(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

const RecoveryInfo kInfo{"/home/user/cat.kvt", "2024-03-01T14:05:09"};

} // namespace

TEST(RecoveryCopy, HoldsWhatASaveWritesAndLeavesTheFieldAlone)
{
    kltest::TempDir dir;
    Puzzle p;
    fillPuzzle(p);
    const std::uint64_t revision = p.ws.doc.field().revision();

    RecoveryStore store(dir / "recovery", "100-1");
    ASSERT_TRUE(store.ready()) << store.error();
    store.write(p.ws, kInfo);

    EXPECT_EQ(p.ws.doc.field().revision(), revision);
    EXPECT_EQ(p.row(0), (Row{"-3", " 7 ", ""}));

    // The same keys and bytes as a save, then the recovery section.
    const std::string copy = readBytes(store.copyPath());
    Puzzle saved;
    fillPuzzle(saved);
    saveKvt(saved.ws, dir / "saved.kvt");
    EXPECT_EQ(copy, readBytes(dir / "saved.kvt") +
                        "[Recovery]\r\nDocument=/home/user/cat.kvt\r\nSaved=2024-03-01T14:05:09\r\n");

    // It opens as a puzzle file.
    Puzzle back(7, 7);
    newDocument(back.ws);
    readKvt(back.ws, store.copyPath());
    EXPECT_EQ(back.row(0), (Row{"-3", " 7 ", ""}));
    EXPECT_EQ(back.row(1), (Row{" ", "-", utf8ToCp1251("-А")}));
    EXPECT_EQ(back.ws.doc.cellSize(), 31);
    EXPECT_EQ(back.ws.doc.prizePhrase, p.ws.doc.prizePhrase);

    const auto info = readRecoveryInfo(store.copyPath());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->documentName, kInfo.documentName);
    EXPECT_EQ(info->saved, kInfo.saved);
    EXPECT_FALSE(readRecoveryInfo(dir / "saved.kvt")); // a plain puzzle file is no copy
}

TEST(RecoveryCopy, DocumentNamesComeBackWhole)
{
    kltest::TempDir dir;
    RecoveryStore store(dir.path(), "100-1");
    Puzzle p;
    const std::string tooLong = "/" + std::string(3000, 'x') + ".kvt";
    const struct {
        std::string written, read;
    } cases[] = {
        {"NONAME.KVT", "NONAME.KVT"},
        {"/home/user/Мозаики/кот.kvt", "/home/user/Мозаики/кот.kvt"},
        {" /lead and trail/ ", " /lead and trail/ "},
        {"'quoted'", "'quoted'"},
        {"\"/x\"", "\"/x\""},
        {"/100%/%41.kvt", "/100%/%41.kvt"},
        {"/line\r\nbreak=;[x].kvt", "/line\r\nbreak=;[x].kvt"},
        {"", "NONAME.KVT"},
        {tooLong, "NONAME.KVT"}, // a cut path must never be saved to
    };
    for (const auto& c : cases) {
        store.write(p.ws, RecoveryInfo{c.written, "2024-01-02T03:04:05"});
        const auto info = readRecoveryInfo(store.copyPath());
        ASSERT_TRUE(info) << c.written;
        EXPECT_EQ(info->documentName, c.read) << c.written;
    }
}

TEST(RecoveryCopy, IsoLocalTime)
{
    std::tm tm{};
    tm.tm_year = 2024 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 1;
    tm.tm_hour = 14;
    tm.tm_min = 5;
    tm.tm_sec = 9;
    tm.tm_isdst = -1;
    EXPECT_EQ(isoLocalTime(std::mktime(&tm)), "2024-03-01T14:05:09");
}

TEST(RecoveryStore, WritesByRenameAndKeepsTheLastCopyWhenAWriteFails)
{
    kltest::TempDir dir;
    const std::string folder = dir / "state/kletomer/recovery";
    RecoveryStore store(folder, "4242-1700000000000");
    ASSERT_TRUE(store.ready()) << store.error();
    EXPECT_EQ(store.copyPath(), folder + "/4242-1700000000000.kvt");
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    Puzzle small;
    store.write(small.ws, kInfo);
    EXPECT_EQ(names(folder), (std::vector<std::string>{"4242-1700000000000.kvt", "4242-1700000000000.lock"}));
    const std::string before = readBytes(store.copyPath());

    Puzzle big(200, 200);
    {
        kltest::FileSizeCap cap(1000);
        EXPECT_THROW(store.write(big.ws, kInfo), CommandError);
    }
    EXPECT_EQ(readBytes(store.copyPath()), before);
    EXPECT_FALSE(fs::exists(store.tempPath()));

    store.removeCopy();
    EXPECT_EQ(names(folder), (std::vector<std::string>{"4242-1700000000000.lock"}));
    store.write(small.ws, kInfo);
    store.close(); // the normal end leaves nothing behind
    EXPECT_TRUE(names(folder).empty());
}

TEST(RecoveryStore, ACopyIsAnOrphanOnlyOnceItsOwnerIsGone)
{
    kltest::TempDir dir;
    const std::string folder = dir.path();
    Puzzle p;
    fillPuzzle(p);

    // The owner is a process of its own: it writes, reports, and dies when told.
    int ready[2], die[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(die), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        ::close(die[1]);
        RecoveryStore owner(folder, "7-1");
        owner.write(p.ws, kInfo);
        char c = 1;
        [[maybe_unused]] auto w = ::write(ready[1], &c, 1);
        [[maybe_unused]] auto r = ::read(die[0], &c, 1);
        ::_exit(0); // no destructors: the kernel lets the lock go, as for a kill
    }
    ::close(ready[1]);
    ::close(die[0]);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);

    RecoveryStore self(folder, "8-1");
    EXPECT_TRUE(self.claimOrphans().empty()); // alive: left alone
    EXPECT_TRUE(fs::exists(folder + "/7-1.kvt"));

    ::close(die[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(ready[0]);

    auto orphans = self.claimOrphans();
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_EQ(orphans[0].path(), folder + "/7-1.kvt");
    EXPECT_EQ(orphans[0].info().documentName, kInfo.documentName);

    // Held while it is being offered: another start does not offer it too.
    RecoveryStore other(folder, "9-1");
    EXPECT_TRUE(other.claimOrphans().empty());

    orphans[0].discard();
    EXPECT_EQ(names(folder), (std::vector<std::string>{"8-1.lock", "9-1.lock"}));
}

TEST(RecoveryStore, OrphansComeNewestFirstAndLeftoversAreSwept)
{
    kltest::TempDir dir;
    const std::string folder = dir.path();
    Puzzle p;
    {
        RecoveryStore self(folder, "4-1"), live(folder, "3-1");
        live.write(p.ws, kInfo);
        {
            // Stores that end without close() are owners that died.
            RecoveryStore older(folder, "1-1"), newer(folder, "2-1");
            older.write(p.ws, RecoveryInfo{"/older.kvt", "2024-01-01T00:00:00"});
            newer.write(p.ws, RecoveryInfo{"/newer.kvt", "2024-01-01T00:00:01"});
            const timespec past[2] = {{1000, 0}, {1000, 0}};
            ::utimensat(AT_FDCWD, older.copyPath().c_str(), past, 0);
        }
        // A live owner hides its copy also from a store in the same process.
        auto whileAlive = self.claimOrphans();
        ASSERT_EQ(whileAlive.size(), 2u);
        EXPECT_EQ(whileAlive[0].info().documentName, "/newer.kvt");
        EXPECT_EQ(whileAlive[1].info().documentName, "/older.kvt");
    }
    // Gone owners that left no copy, an unfinished write, and files that are
    // not ours.
    writeBytes(folder + "/5-1.lock", "");
    writeBytes(folder + "/6-1.kvt.tmp", "[Options]");
    writeBytes(folder + "/notes.kvt", "mine");
    writeBytes(folder + "/x-1.lock", "");

    RecoveryStore self(folder, "4-2");
    auto orphans = self.claimOrphans();
    ASSERT_EQ(orphans.size(), 3u); // 3-1 has died since; 4-1 left no copy
    EXPECT_EQ(orphans.back().info().documentName, "/older.kvt");
    for (auto& o : orphans) o.discard();
    EXPECT_EQ(names(folder), (std::vector<std::string>{"4-2.lock", "notes.kvt", "x-1.lock"}));
}
