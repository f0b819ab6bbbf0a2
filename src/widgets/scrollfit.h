#pragma once
// What the views over a field of cells share: scroll bars whose ranges show
// the whole content, a page the viewport's size, a step one cell; and the
// wheel's zoom.
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

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

// Ctrl+wheel as zoom steps: a notch is 120; touch pads send less at a time,
// which adds up in rest. Nothing without Ctrl: the wheel then scrolls.
inline std::optional<int> ctrlWheelSteps(QWheelEvent& e, int& rest)
{
    if (!(e.modifiers() & Qt::ControlModifier)) return std::nullopt;
    rest += e.angleDelta().y();
    const int steps = rest / 120;
    rest %= 120;
    e.accept();
    return steps;
}

} // namespace klt
