#include "files/recovery.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/ioerror.h"
#include "files/kvtformat.h"
#include "files/profile.h"

namespace klt {

namespace {

constexpr std::string_view kCopyExt = ".kvt";
constexpr std::string_view kLockExt = ".lock";
constexpr std::string_view kTempExt = ".kvt.tmp";

// A line break would split the line; the puzzle writer turns it into a blank too.
std::string oneLine(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

// The document name goes through the profile reader, which trims blanks and
// drops enclosing quotes, and may hold any byte but NUL: "%", control bytes
// and a blank or quote at either end are written as %XX.
std::string encodeName(std::string_view s)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        const bool atEdge = i == 0 || i + 1 == s.size();
        if (c == '%' || c < 0x20 || c == 0x7f || (atEdge && (c == ' ' || c == '\t' || c == '"' || c == '\''))) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string decodeName(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool endsWith(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// The id of a name this program made ("<digits>-<digits>" and one of the
// extensions), or nothing.
std::optional<std::string> idOf(std::string_view name)
{
    std::string_view id;
    for (std::string_view ext : {kTempExt, kCopyExt, kLockExt}) {
        if (endsWith(name, ext)) {
            id = name.substr(0, name.size() - ext.size());
            break;
        }
    }
    const std::size_t dash = id.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == id.size()) return std::nullopt;
    for (std::size_t i = 0; i < id.size(); ++i)
        if (i != dash && (id[i] < '0' || id[i] > '9')) return std::nullopt;
    return std::string(id);
}

std::string errorText(const std::string& what, int err)
{
    return what + "\r\n" + ioErrorText(ioCodeFromErrno(err));
}

// Opens path (creating it) and locks it, or returns -1: errno is EWOULDBLOCK
// when another process holds the lock.
int takeLock(const std::string& path)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return -1;
        int rc;
        do rc = ::flock(fd, LOCK_EX | LOCK_NB);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            const int err = errno;
            ::close(fd);
            errno = err;
            return -1;
        }
        // The one who held the lock may have deleted the file just before
        // letting go; a lock on a file that has no name any more guards nothing.
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
    errno = EAGAIN;
    return -1;
}

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Makes a rename in folder last through a power loss.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

std::string isoLocalTime(std::time_t t)
{
    std::tm tm {};
    ::localtime_r(&t, &tm);
    char buf[32];
    const std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
    return std::string(buf, n);
}

std::string recoveryText(const Workspace& ws, const RecoveryInfo& info)
{
    std::string out, section;
    auto put = [&](std::string_view sec, std::string_view key, std::string_view value) {
        if (sec != section) {
            section = sec;
            out.append("[").append(sec).append("]\r\n");
        }
        out.append(oneLine(key)).append("=").append(oneLine(value)).append("\r\n");
    };
    putKvtKeys(ws, nullptr, put);
    put("Recovery", "Document", encodeName(info.documentName));
    put("Recovery", "Saved", info.saved);
    return out;
}

std::optional<RecoveryInfo> readRecoveryInfo(const std::string& path)
{
    const ProfileReader file(path, [](std::string_view s) { return s == "RECOVERY"; });
    // A value never holds a line break, so this default marks a missing key.
    const std::string document = file.readString("Recovery", "Document", "\n");
    if (document == "\n") return std::nullopt;
    RecoveryInfo info;
    info.documentName = document.size() >= kProfileValueMax ? std::string(kRecoveryNoName) : decodeName(document);
    if (info.documentName.empty()) info.documentName = kRecoveryNoName;
    info.saved = file.readString("Recovery", "Saved", "");
    return info;
}

// ---- OrphanCopy ----

OrphanCopy::OrphanCopy(std::string folder, std::string id, int lockFd)
    : folder_(std::move(folder)), id_(std::move(id)), copy_(folder_ + "/" + id_ + std::string(kCopyExt)), lockFd_(lockFd)
{
}

OrphanCopy::OrphanCopy(OrphanCopy&& other) noexcept
    : folder_(std::move(other.folder_)), id_(std::move(other.id_)), copy_(std::move(other.copy_)),
      info_(std::move(other.info_)), written_(other.written_), writtenNs_(other.writtenNs_), lockFd_(other.lockFd_)
{
    other.lockFd_ = -1;
}

OrphanCopy& OrphanCopy::operator=(OrphanCopy&& other) noexcept
{
    if (this != &other) {
        if (lockFd_ >= 0) ::close(lockFd_);
        folder_ = std::move(other.folder_);
        id_ = std::move(other.id_);
        copy_ = std::move(other.copy_);
        info_ = std::move(other.info_);
        written_ = other.written_;
        writtenNs_ = other.writtenNs_;
        lockFd_ = other.lockFd_;
        other.lockFd_ = -1;
    }
    return *this;
}

OrphanCopy::~OrphanCopy()
{
    if (lockFd_ >= 0) ::close(lockFd_);
}

void OrphanCopy::discard()
{
    if (lockFd_ < 0) return;
    const std::string base = folder_ + "/" + id_;
    ::unlink(copy_.c_str());
    ::unlink((base + std::string(kTempExt)).c_str());
    // The lock file goes while it is still held, so nobody locks it in between.
    ::unlink((base + std::string(kLockExt)).c_str());
    ::close(lockFd_);
    lockFd_ = -1;
}

// ---- RecoveryStore ----

RecoveryStore::RecoveryStore(std::string folder, std::string id) : folder_(std::move(folder)), id_(std::move(id))
{
    while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
    if (id_.empty()) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
        id_ = std::to_string(::getpid()) + "-" + std::to_string(ms);
    }
    // Parents as the platform makes them; the folder itself is the user's alone.
    const std::size_t slash = folder_.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        std::string parent = folder_.substr(0, slash);
        for (std::size_t i = 1; i <= parent.size(); ++i)
            if (i == parent.size() || parent[i] == '/') ::mkdir(parent.substr(0, i).c_str(), 0777);
    }
    if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) {
        error_ = errorText("Не удалось создать папку " + folder_, errno);
        return;
    }
    const std::string lock = folder_ + "/" + id_ + std::string(kLockExt);
    lockFd_ = takeLock(lock);
    if (lockFd_ < 0) error_ = errorText("Не удалось занять " + lock, errno);
}

RecoveryStore::~RecoveryStore()
{
    if (lockFd_ >= 0) ::close(lockFd_);
}

std::string RecoveryStore::copyPath() const
{
    return folder_ + "/" + id_ + std::string(kCopyExt);
}

std::string RecoveryStore::tempPath() const
{
    return folder_ + "/" + id_ + std::string(kTempExt);
}

void RecoveryStore::write(const Workspace& ws, const RecoveryInfo& info)
{
    if (!ready()) throw CommandError{error_};
    const std::string text = recoveryText(ws, info);
    const std::string temp = tempPath(), copy = copyPath();
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) throw CommandError{errorText("Не удалось записать " + temp, errno)};
    int err = writeAll(fd, text);
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && ::rename(temp.c_str(), copy.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(temp.c_str());
        throw CommandError{errorText("Не удалось записать " + copy, err)};
    }
    syncFolder(folder_);
}

void RecoveryStore::removeCopy()
{
    if (!ready()) return;
    ::unlink(copyPath().c_str());
    ::unlink(tempPath().c_str());
}

void RecoveryStore::close()
{
    if (!ready()) return;
    removeCopy();
    ::unlink((folder_ + "/" + id_ + std::string(kLockExt)).c_str());
    ::close(lockFd_);
    lockFd_ = -1;
}

std::vector<OrphanCopy> RecoveryStore::claimOrphans()
{
    std::vector<OrphanCopy> out;
    if (!ready()) return out;
    std::set<std::string> ids;
    if (DIR* d = ::opendir(folder_.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (auto id = idOf(e->d_name); id && *id != id_) ids.insert(*id);
        ::closedir(d);
    }
    for (const std::string& id : ids) {
        const std::string base = folder_ + "/" + id;
        const int fd = takeLock(base + std::string(kLockExt));
        if (fd < 0) continue; // its owner lives, or the lock cannot be had: hands off
        OrphanCopy orphan(folder_, id, fd);
        struct stat st {};
        if (::lstat(orphan.copy_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            orphan.discard(); // an owner that never wrote a copy, or one that ended normally
            continue;
        }
        orphan.written_ = st.st_mtim.tv_sec;
        orphan.writtenNs_ = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
        orphan.info_ = readRecoveryInfo(orphan.copy_).value_or(RecoveryInfo{kRecoveryNoName, {}});
        out.push_back(std::move(orphan));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const OrphanCopy& a, const OrphanCopy& b) { return a.writtenNs_ > b.writtenNs_; });
    return out;
}

} // namespace klt
