#include "files/paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace klt {

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isOrdinaryFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    struct statfs fs {};
    if (::statfs(path.c_str(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x9fa0:     // proc
    case 0x62656572: // sysfs
    case 0x64626720: // debugfs
    case 0x74726163: // tracefs
    case 0x73636673: // securityfs
    case 0x27e0eb:   // cgroup
    case 0x63677270: // cgroup2
    case 0xcafe4a11: // bpf
    case 0x6165676c: // pstore
    case 0x1cd1:     // devpts
    case 0xde5e81e4: // efivarfs
    case 0x65735546: // fuse control
    case 0x42494e4d: // binfmt_misc
    case 0x67596969: // rpc_pipefs
        return false;
    default:
        return true;
    }
}

static std::size_t extensionStart(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart) return std::string_view::npos;
    return dot;
}

std::string fileExtension(std::string_view path)
{
    std::size_t dot = extensionStart(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string changeFileExt(std::string_view path, std::string_view ext)
{
    std::size_t dot = extensionStart(path);
    std::string out(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
    out += ext;
    return out;
}

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool isOwnFormatPath(std::string_view path)
{
    return upperAscii(fileExtension(path)) == ".KVT";
}

bool renameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    // The file system cannot refuse to replace by itself: a hard link fails
    // on an existing name, and only then is the old name dropped.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) return false;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace klt
