#pragma once
#include "core/workspace.h"

namespace klt {

// Region fill from (c, r): every cell connected to it through edge neighbours
// of the same filled state becomes "-" (targetFilled) or empty, when that state
// differs from the target; the start cell is always rewritten. Iterative, so
// a region of any size fills without deep recursion. Marks the puzzle modified.
void fillRegion(Workspace& ws, bool targetFilled, int c, int r);

} // namespace klt
