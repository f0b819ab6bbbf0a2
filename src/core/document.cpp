#include "core/document.h"

#include <algorithm>

#include "core/text.h"

namespace klt {

void PuzzleDocument::addObserver(DocumentObserver* o)
{
    if (std::find(observers_.begin(), observers_.end(), o) == observers_.end()) observers_.push_back(o);
}

void PuzzleDocument::removeObserver(DocumentObserver* o)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

void PuzzleDocument::notifyFieldChanged()
{
    for (DocumentObserver* o : std::vector(observers_)) o->fieldChanged();
}

void PuzzleDocument::notifySizeChanged()
{
    for (DocumentObserver* o : std::vector(observers_)) o->sizeChanged();
}

void PuzzleDocument::reset()
{
    prizePhrase.clear();
    setAnswersHidden(false);
    answerMask_.assign(0, 0);
    field_.clear();
    notifyFieldChanged();
}

void PuzzleDocument::setCellSize(int px)
{
    cellSize_ = std::max(px, 1);
    for (DocumentObserver* o : std::vector(observers_)) o->cellSizeChanged();
}

void PuzzleDocument::setModified(bool value)
{
    modified_ = value;
    for (DocumentObserver* o : std::vector(observers_)) o->modifiedChanged(value);
}

void PuzzleDocument::takeSnapshot()
{
    const int cols = field_.colCount(), rows = field_.rowCount();
    snapshot_.assign(cols, rows);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) snapshot_.at(c, r) = field_.text(c, r);
    for (DocumentObserver* o : std::vector(observers_)) o->snapshotTaken();
}

void PuzzleDocument::restoreSnapshot(bool fillOnly)
{
    if (snapshot_.empty()) return; // nothing to restore yet
    const int cols = snapshot_.cols(), rows = snapshot_.rows();
    field_.setRowCount(rows);
    field_.setColCount(cols);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const std::string& snap = snapshot_.at(c, r);
            if (!fillOnly) {
                field_.setText(c, r, snap);
            } else {
                std::string t = isFilledText(snap) ? "-" : "";
                t += removeChars(field_.text(c, r), "-");
                field_.setText(c, r, std::move(t));
            }
        }
    }
    notifyFieldChanged();
}

bool PuzzleDocument::snapshotFilled(int c, int r) const
{
    return snapshot_.inside(c, r) && isFilledText(snapshot_.at(c, r));
}

void PuzzleDocument::setAnswersHidden(bool hidden)
{
    answersHidden_ = hidden;
    for (DocumentObserver* o : std::vector(observers_)) o->answersHiddenChanged(hidden);
}

void PuzzleDocument::takeAnswersOff()
{
    answerMask_.assign(field_.colCount(), field_.rowCount(), 0);
    for (int c = 0; c < answerMask_.cols(); ++c) {
        for (int r = 0; r < answerMask_.rows(); ++r) {
            if (!field_.isFilled(c, r)) continue;
            answerMask_.at(c, r) = 1;
            field_.setText(c, r, removeChars(field_.text(c, r), "-"));
        }
    }
}

void PuzzleDocument::putAnswersBack()
{
    const int cols = std::min(answerMask_.cols(), field_.colCount());
    const int rows = std::min(answerMask_.rows(), field_.rowCount());
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r)
            if (answerMask_.at(c, r)) field_.setText(c, r, "-" + removeChars(field_.text(c, r), "-"));
}

void PuzzleDocument::hideAnswers()
{
    if (answersHidden_) return;
    setAnswersHidden(true);
    takeSnapshot();
    takeAnswersOff();
    notifyFieldChanged();
}

void PuzzleDocument::showAnswers()
{
    if (!answersHidden_) return;
    if (editDepth_ == 0) putAnswersBack();
    answerMask_.assign(0, 0);
    setAnswersHidden(false);
    notifyFieldChanged();
}

std::string PuzzleDocument::pictureText(int c, int r) const
{
    const std::string& t = field_.text(c, r);
    // Inside an edit the marks stand in the texts already.
    if (!answersHidden_ || editDepth_ > 0 || !answerMask_.inside(c, r) || !answerMask_.at(c, r)) return t;
    return "-" + removeChars(t, "-");
}

bool PuzzleDocument::beginEdit()
{
    if (editDepth_++ > 0) return false;
    if (answersHidden_) putAnswersBack();
    return true;
}

void PuzzleDocument::endEdit()
{
    if (--editDepth_ > 0) return;
    if (answersHidden_) {
        takeAnswersOff();
        notifyFieldChanged();
    }
}

} // namespace klt
