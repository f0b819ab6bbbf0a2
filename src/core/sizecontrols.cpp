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
    if (width.set(ws.field.colCount())) ws.field.setColCount(width.value);
    if (height.set(ws.field.rowCount())) ws.field.setRowCount(height.value);
}

void SizeControls::syncCellSize(Workspace& ws)
{
    if (cellSize.set(ws.cellSize)) ws.cellSize = cellSize.value;
}

} // namespace klt
