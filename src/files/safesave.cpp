#include "files/safesave.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace klt {

namespace {

int writeAll(int fd, std::string_view content, off_t offset)
{
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::pwrite(fd, content.data() + done, content.size() - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Writes what produce makes, piece after piece, from the file's start;
// written takes the length.
int writePieces(int fd, const std::function<int(const ContentPut&)>& produce, off_t& written)
{
    written = 0;
    return produce([&](std::string_view piece) {
        const int err = writeAll(fd, piece, written);
        written += static_cast<off_t>(piece.size());
        return err;
    });
}

// For a writable file in a folder where no new file can be made.
int overwriteInPlace(const std::string& target, std::uint64_t size, const std::function<int(const ContentPut&)>& produce)
{
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    // Reserving the space first means a full disk leaves the file as it was.
    int err = size == 0 ? 0 : ::posix_fallocate(fd, 0, static_cast<off_t>(size));
    if (err == EOPNOTSUPP) err = 0;
    off_t written = 0;
    if (!err) err = writePieces(fd, produce, written);
    if (!err && ::ftruncate(fd, written) != 0) err = errno;
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    return err;
}

} // namespace

int saveFileSafely(const std::string& path, std::string_view content)
{
    return saveFileSafely(path, content.size(), [&](const ContentPut& put) { return put(content); });
}

int saveFileSafely(const std::string& path, std::uint64_t size, const std::function<int(const ContentPut&)>& produce)
{
    std::string target = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) { // keep a symbolic link a link
        target = real;
        std::free(real);
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) return EISDIR;
        if (!S_ISREG(st.st_mode)) return EINVAL;
        // A file without any write permission is read-only, for the superuser too.
        if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) return EACCES;
    }
    std::size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    if (dir.empty()) dir = "/";

    // Batch runs save from several threads at once.
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir + (dir.back() == '/' ? "" : "/") + ".kletomer-" + std::to_string(::getpid()) + '-' +
               std::to_string(counter++) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        // Creating a file fails with ENOENT only when its folder is missing.
        int err = errno == ENOENT ? ENOTDIR : errno;
        if (exists && (err == EACCES || err == EPERM)) return overwriteInPlace(target, size, produce);
        return err;
    }
    if (exists) {
        ::fchmod(fd, st.st_mode & 07777);
        [[maybe_unused]] int ignored = ::fchown(fd, st.st_uid, st.st_gid);
    }
    off_t written = 0;
    int err = writePieces(fd, produce, written);
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err) ::unlink(temp.c_str());
    return err;
}


} // namespace klt
