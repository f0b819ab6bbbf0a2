#pragma once
// The scroll bars of a view over a field of cells: ranges that show the
// whole content, a page the viewport's size, a step one cell.
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <algorithm>

namespace klt {

inline void fitScrollBars(QAbstractScrollArea& area, QSize content, int cellStep)
{
    const QSize vs = area.viewport()->size();
    area.horizontalScrollBar()->setRange(0, std::max(0, content.width() - vs.width()));
    area.horizontalScrollBar()->setPageStep(vs.width());
    area.horizontalScrollBar()->setSingleStep(cellStep);
    area.verticalScrollBar()->setRange(0, std::max(0, content.height() - vs.height()));
    area.verticalScrollBar()->setPageStep(vs.height());
    area.verticalScrollBar()->setSingleStep(cellStep);
}

} // namespace klt
