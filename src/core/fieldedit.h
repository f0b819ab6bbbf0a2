#pragma once
// Edits of the author's: every change made to the field through an edit
// command runs inside a FieldEdit. While the answers are hidden the edit
// sees the whole picture (fill marks put back for its duration and taken off
// again after it), so that no edit can lose the picture; and an edit that
// changed a cell or the size marks the puzzle modified.
#include <cstdint>

#include "core/document.h"
#include "core/workspace.h"

namespace klt {

class FieldEdit {
public:
    explicit FieldEdit(PuzzleDocument& doc);
    explicit FieldEdit(Workspace& ws) : FieldEdit(ws.doc) {}
    ~FieldEdit();
    FieldEdit(const FieldEdit&) = delete;
    FieldEdit& operator=(const FieldEdit&) = delete;

private:
    PuzzleDocument& doc_;
    bool outer_;
    std::uint64_t revision_ = 0;
};

} // namespace klt
