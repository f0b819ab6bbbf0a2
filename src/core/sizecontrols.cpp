#include "core/sizecontrols.h"

#include <algorithm>

namespace klt {

bool SpinModel::set(int v)
{
    v = std::clamp(v, minimum, maximum);
    if (v == value) return false;
    value = v;
    return true;
}

void SizeControls::sync(Workspace& ws)
{
    if (width.set(ws.doc.field().colCount())) ws.doc.field().setColCount(width.value);
    if (height.set(ws.doc.field().rowCount())) ws.doc.field().setRowCount(height.value);
}

void SizeControls::syncCellSize(Workspace& ws)
{
    if (cellSize.set(ws.doc.cellSize())) ws.doc.setCellSize(cellSize.value);
}

} // namespace klt
