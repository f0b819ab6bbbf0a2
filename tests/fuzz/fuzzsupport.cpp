#include "fuzzsupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace klt::fuzz {

namespace {

std::filesystem::path& folder()
{
    static std::filesystem::path path;
    return path;
}

void removeFolder()
{
    std::error_code ignored;
    if (!folder().empty()) std::filesystem::remove_all(folder(), ignored);
}

} // namespace

std::string inputFile(const std::uint8_t* data, std::size_t size, const char* suffix)
{
    if (folder().empty()) {
        // Memory rather than disk where there is one: the readers are run
        // many thousands of times a second, and saves sync the file.
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec) || access(base.c_str(), W_OK) != 0)
            base = std::filesystem::temp_directory_path(ec);
        if (ec) base = "/tmp";
        std::string pattern = (base / "kletomer-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        folder() = pattern;
        std::atexit(removeFolder);
    }
    const std::string path = (folder() / (std::string("input") + suffix)).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

} // namespace klt::fuzz
