#pragma once
// Recovery copies. While the puzzle has unsaved changes the program keeps a
// copy of it in the user's state folder, so that a crash, a kill or a power
// loss costs at most the last few seconds of work. Every process writes its
// own copy "<id>.kvt" and holds an advisory lock (flock) on "<id>.lock" for
// its whole life: a copy whose lock nobody holds was left by a process that
// is gone, and the next start offers it back. A copy is a puzzle file that
// opens as one, with a section "Recovery" after the field.
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/workspace.h"

namespace klt {

// What section "Recovery" of a copy records.
struct RecoveryInfo {
    std::string documentName; // the puzzle's path (platform bytes), or "NONAME.KVT"
    std::string saved;        // local time of writing, ISO 8601: "2024-03-01T14:05:09"
};

// The name of a puzzle that has no file yet.
inline constexpr const char* kRecoveryNoName = "NONAME.KVT";

// t as local time in ISO 8601, without a zone.
std::string isoLocalTime(std::time_t t);

// The bytes of a copy: exactly the keys a save of the whole field writes,
// then "Document" and "Saved" in section "Recovery". The field is left as it
// is (a save trims its cells; this does not).
std::string recoveryText(const Workspace& ws, const RecoveryInfo& info);

// Section "Recovery" of a copy; nothing for a file without it. A document
// name too long to have been read whole comes back as "NONAME.KVT", so that
// a later Save asks for the file instead of writing to a cut path.
std::optional<RecoveryInfo> readRecoveryInfo(const std::string& path);

// A copy whose owner is gone. While this object lives it holds the owner's
// lock, so that another starting process leaves the copy alone.
class OrphanCopy {
public:
    OrphanCopy(OrphanCopy&& other) noexcept;
    OrphanCopy& operator=(OrphanCopy&& other) noexcept;
    OrphanCopy(const OrphanCopy&) = delete;
    OrphanCopy& operator=(const OrphanCopy&) = delete;
    // Lets the lock go; the files stay for a later start.
    ~OrphanCopy();

    const std::string& path() const { return copy_; }
    const RecoveryInfo& info() const { return info_; }
    // When the copy was last written (its modification time).
    std::time_t written() const { return written_; }

    // Deletes the copy and what its owner left around it (lock, unfinished
    // temporary file).
    void discard();

private:
    friend class RecoveryStore;
    OrphanCopy(std::string folder, std::string id, int lockFd);

    std::string folder_, id_, copy_;
    RecoveryInfo info_;
    std::time_t written_ = 0;
    long long writtenNs_ = 0; // tie-break for copies of the same second
    int lockFd_ = -1;
};

// This process's place in the recovery folder.
class RecoveryStore {
public:
    // Creates folder (mode 0700) when it is missing and takes the lock of id;
    // an empty id is made of the process id and the start time. ready() is
    // false, and error() says why, when that failed; the store then writes
    // nothing and finds no orphans.
    explicit RecoveryStore(std::string folder, std::string id = {});
    // Lets the lock go and leaves the copy, as a process that dies does. A
    // normal end calls close() first.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    bool ready() const { return lockFd_ >= 0; }
    const std::string& error() const { return error_; }
    const std::string& id() const { return id_; }
    const std::string& folder() const { return folder_; }
    // "<folder>/<id>.kvt"
    std::string copyPath() const;
    // "<folder>/<id>.kvt.tmp": the copy being written, renamed over the copy
    // only once it is complete.
    std::string tempPath() const;

    // Writes the copy as one step (temporary file, fsync, rename), so a crash
    // while writing leaves the previous copy whole. Throws CommandError with
    // the reason; the previous copy then stays as it was.
    void write(const Workspace& ws, const RecoveryInfo& info);
    // Deletes the copy, if there is one.
    void removeCopy();
    // The normal end: deletes the copy and the lock file and lets the lock go.
    void close();

    // The copies of owners that are gone, newest first, each held (see
    // OrphanCopy). Lock and temporary files of gone owners that left no copy
    // are deleted. Only names this program makes are looked at.
    std::vector<OrphanCopy> claimOrphans();

private:
    std::string folder_, id_, error_;
    int lockFd_ = -1;
};

} // namespace klt
