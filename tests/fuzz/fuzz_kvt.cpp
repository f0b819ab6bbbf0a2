// The program's own puzzle files: the profile-file reader, the size check
// before opening, the reading of the field, the puzzle's data for a web page
// (ASCII, never closing the script it stands in), and the in-place update a
// save makes of an existing file, which must read back as written.
#include <cstdlib>
#include <string>

#include "core/context.h"
#include "core/error.h"
#include "core/webpuzzle.h"
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
        const klt::Field& field = ws.doc.field();
        if (field.colCount() * field.rowCount() <= 2500) {
            try {
                const std::string json =
                    klt::webPuzzleJson(klt::webPuzzleOf(field, field.text(0, 0)), 60, "Sans"); // any bytes as the title
                for (unsigned char ch : json)
                    if (ch >= 0x80 || ch < 0x20) std::abort();
                if (json.find("</") != std::string::npos) std::abort();
            } catch (const klt::CommandError&) {
            }
        }
    }
    klt::writeProfileString(path, "Field", "Str0", ";1;-;2");
    if (klt::ProfileReader(path).readString("Field", "Str0", "") != ";1;-;2") std::abort();
    return 0;
}
