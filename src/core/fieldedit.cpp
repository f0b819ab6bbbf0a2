#include "core/fieldedit.h"

#include <algorithm>

#include "core/text.h"

namespace klt {

void takeAnswersOff(Workspace& ws)
{
    Field& f = ws.field;
    ws.answerCols = f.colCount();
    ws.answerRows = f.rowCount();
    ws.answerMask.assign(static_cast<size_t>(ws.answerCols) * static_cast<size_t>(ws.answerRows), 0);
    for (int c = 0; c < ws.answerCols; ++c) {
        for (int r = 0; r < ws.answerRows; ++r) {
            if (!f.isFilled(c, r)) continue;
            ws.answerMask[static_cast<size_t>(c) * static_cast<size_t>(ws.answerRows) + static_cast<size_t>(r)] = 1;
            f.setText(c, r, removeChars(f.text(c, r), "-"));
        }
    }
}

void putAnswersBack(Workspace& ws)
{
    Field& f = ws.field;
    const int cols = std::min(ws.answerCols, f.colCount()), rows = std::min(ws.answerRows, f.rowCount());
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r) {
            if (!ws.answerMask[static_cast<size_t>(c) * static_cast<size_t>(ws.answerRows) + static_cast<size_t>(r)])
                continue;
            f.setText(c, r, "-" + removeChars(f.text(c, r), "-"));
        }
    }
}

void showAnswers(Workspace& ws)
{
    if (!ws.answersHidden) return;
    if (ws.editDepth == 0) putAnswersBack(ws);
    ws.answerMask.clear();
    ws.answerCols = ws.answerRows = 0;
    ws.setHideAnswers(false);
    ws.host().fieldChanged();
}

FieldEdit::FieldEdit(Workspace& ws) : ws_(ws), outer_(ws.editDepth++ == 0)
{
    if (!outer_) return;
    if (ws_.answersHidden) putAnswersBack(ws_);
    revision_ = ws_.field.revision();
}

FieldEdit::~FieldEdit()
{
    --ws_.editDepth;
    if (!outer_) return;
    const bool changed = ws_.field.revision() != revision_;
    if (ws_.answersHidden) {
        takeAnswersOff(ws_);
        ws_.host().fieldChanged();
    }
    if (changed && !ws_.modified) ws_.setModified(true);
}

std::string pictureText(const Workspace& ws, int c, int r)
{
    const std::string& t = ws.field.text(c, r);
    // Inside an edit the marks stand in the texts already.
    if (!ws.answersHidden || ws.editDepth > 0 || c >= ws.answerCols || r >= ws.answerRows) return t;
    if (!ws.answerMask[static_cast<size_t>(c) * static_cast<size_t>(ws.answerRows) + static_cast<size_t>(r)]) return t;
    return "-" + removeChars(t, "-");
}

} // namespace klt
