#include "core/regionfill.h"

#include <vector>

#include "core/fieldedit.h"

namespace klt {

void fillRegion(Workspace& ws, bool targetFilled, int c, int r)
{
    Field& f = ws.doc.field();
    if (!f.inside(c, r)) return;
    FieldEdit edit(ws);
    const bool startFilled = f.isFilled(c, r);
    const char* target = targetFilled ? "-" : "";
    if (startFilled != targetFilled) {
        std::vector<std::pair<int, int>> todo{{c, r}};
        f.setText(c, r, target);
        while (!todo.empty()) {
            auto [x, y] = todo.back();
            todo.pop_back();
            const int nb[4][2] = {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}};
            for (const auto& n : nb) {
                if (f.inside(n[0], n[1]) && f.isFilled(n[0], n[1]) == startFilled) {
                    f.setText(n[0], n[1], target);
                    todo.push_back({n[0], n[1]});
                }
            }
        }
    }
    f.setText(c, r, target);
    ws.doc.notifyFieldChanged();
    ws.doc.setModified(true);
}

} // namespace klt
