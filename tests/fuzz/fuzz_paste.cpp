// Pasting clipboard text into a 5 × 5 field at cell (1, 1): the text's
// lines and tabs, the cell values, and the bound on the field's size.
#include <cstdlib>
#include <string>

#include "core/blocktext.h"
#include "core/field.h"
#include "core/context.h"
#include "core/workspace.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    klt::Workspace ws;
    ws.doc.field().setSize(5, 5);
    ws.cursor.setCurrentCell(1, 1);
    klt::pasteText(ws, std::string(reinterpret_cast<const char*>(data), size));
    if (ws.doc.field().colCount() > klt::kMaxFieldSide || ws.doc.field().rowCount() > klt::kMaxFieldSide) std::abort();
    return 0;
}
