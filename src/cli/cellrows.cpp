#include "cli/cellrows.h"

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "files/ioerror.h"

namespace klt::cli {

bool writeCellRows(const std::string& path, int cols, int rows, const std::function<char(int c, int r)>& at)
{
    std::ofstream out(path, std::ios::binary);
    for (int r = 0; r < rows && out; ++r) {
        std::string line;
        for (int c = 0; c < cols; ++c) line += at(c, r);
        out << line << '\n';
    }
    const int err = errno ? errno : EIO;
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s\n", cannotWriteText(path, err).c_str());
        return false;
    }
    return true;
}

} // namespace klt::cli
