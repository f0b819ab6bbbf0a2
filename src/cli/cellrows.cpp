#include "cli/cellrows.h"

#include <cerrno>
#include <fstream>

#include "cli/clicontext.h"
#include "files/ioerror.h"

namespace klt::cli {

bool writeCellRows(CliContext& ctx, const std::string& path, int cols, int rows,
                   const std::function<char(int c, int r)>& at)
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
        ctx.errorLine(cannotWriteText(path, err));
        return false;
    }
    return true;
}

} // namespace klt::cli
