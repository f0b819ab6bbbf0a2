// Foreign puzzle files (".fcr", ".crs") opened as documents: the size check
// before opening, then the reading of the rows in each layout.
#include <string>

#include "core/context.h"
#include "core/workspace.h"
#include "files/foreign.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = klt::fuzz::inputFile(data, size, ".fcr");
    if (klt::checkForeignSize(path)) return 0;
    klt::Workspace ws;
    klt::openForeignFile(ws, path);
    return 0;
}
