// The program's own puzzle files: the profile-file reader, the size check
// before opening, the reading of the field, and the in-place update a save
// makes of an existing file, which must read back as written.
#include <cstdlib>
#include <string>

#include "core/context.h"
#include "core/workspace.h"
#include "files/kvtformat.h"
#include "files/profile.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = klt::fuzz::inputFile(data, size, ".kvt");
    if (!klt::checkKvtSize(path)) {
        klt::Workspace ws;
        klt::readKvt(ws, path);
    }
    klt::writeProfileString(path, "Field", "Str0", ";1;-;2");
    if (klt::ProfileReader(path).readString("Field", "Str0", "") != ";1;-;2") std::abort();
    return 0;
}
