#pragma once
// Edits of the author's: every change made to the field through an edit
// command runs inside a FieldEdit. While the answers are hidden the edit
// sees the whole picture (fill marks put back for its duration and taken off
// again after it), so that no edit can lose the picture; and an edit that
// changed a cell or the size marks the puzzle modified.
#include "core/workspace.h"

namespace klt {

class FieldEdit {
public:
    explicit FieldEdit(Workspace& ws);
    ~FieldEdit();
    FieldEdit(const FieldEdit&) = delete;
    FieldEdit& operator=(const FieldEdit&) = delete;

private:
    Workspace& ws_;
    bool outer_;
    std::uint64_t revision_ = 0;
};

// The text of a cell with its fill mark, also while the answers are hidden
// (what a file or a recovery copy must hold).
std::string pictureText(const Workspace& ws, int c, int r);

// Hides the answers: remembers which cells are filled and takes "-" out of
// their texts. The check state is the caller's.
void takeAnswersOff(Workspace& ws);
// Puts the remembered fill marks back in front of the texts (the digits and
// letters stand as they are now).
void putAnswersBack(Workspace& ws);
// Unchecks "Убрать ответы" and shows the picture again; nothing when shown.
void showAnswers(Workspace& ws);

} // namespace klt
