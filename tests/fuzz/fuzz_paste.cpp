// Pasting clipboard text into a 5 × 5 field at cell (1, 1): the text's
// lines and tabs, the cell values, and the bound on the field's size.
#include <cstdlib>
#include <string>

#include "core/blocktext.h"
#include "core/field.h"
#include "core/host.h"
#include "core/workspace.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    klt::Host host;
    klt::Workspace ws(host);
    ws.field.setSize(5, 5);
    ws.setCurrentCell(1, 1);
    klt::pasteText(ws, std::string(reinterpret_cast<const char*>(data), size));
    if (ws.field.colCount() > klt::kMaxFieldSide || ws.field.rowCount() > klt::kMaxFieldSide) std::abort();
    return 0;
}
