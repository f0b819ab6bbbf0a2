#pragma once
// The puzzle document: the field, the undo snapshot, the hidden answers, the
// prize phrase, the cell size and the modified flag, with the notifications
// the views follow. One document lives as long as the program shows it,
// longer than the windows that show it.
#include <cstdint>
#include <string>
#include <vector>

#include "core/field.h"
#include "core/grid.h"

namespace klt {

// What a view of the document hears about. Every notification is sent after
// the change.
class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    // Cells or the size changed at once: views repaint.
    virtual void fieldChanged() {}
    // An edit changed the size: the size controls follow the field (they may
    // clamp it into their range).
    virtual void sizeChanged() {}
    // The modified flag was set or cleared (also when it already had the value).
    virtual void modifiedChanged(bool modified) { (void)modified; }
    // "Убрать ответы" was checked or unchecked.
    virtual void answersHiddenChanged(bool hidden) { (void)hidden; }
    // A new undo snapshot was taken.
    virtual void snapshotTaken() {}
    // The cell size was set (also to the value it had).
    virtual void cellSizeChanged() {}
};

class PuzzleDocument {
public:
    PuzzleDocument() = default;
    PuzzleDocument(const PuzzleDocument&) = delete;
    PuzzleDocument& operator=(const PuzzleDocument&) = delete;

    Field& field() { return field_; }
    const Field& field() const { return field_; }

    std::string prizePhrase; // Windows-1251

    // The grid's column width in pixels (at least 1).
    int cellSize() const { return cellSize_; }
    void setCellSize(int px);

    // Empties the document for a new puzzle: no cells (hidden ones
    // included, so that widening it brings none back), no prize phrase, the
    // answers shown. The snapshot and the modified flag are the caller's.
    void reset();

    // ---- views ----
    void addObserver(DocumentObserver* o);
    void removeObserver(DocumentObserver* o);
    void notifyFieldChanged();
    void notifySizeChanged();

    // ---- modified flag ----
    bool modified() const { return modified_; }
    void setModified(bool value);

    // ---- undo snapshot ----
    // The cell texts of the field as it was; empty before the first snapshot.
    const Grid<std::string>& snapshot() const { return snapshot_; }
    void takeSnapshot();
    // Gives the field the snapshot's size and texts; with fillOnly only the
    // fill marks come back and the digits and letters stay.
    void restoreSnapshot(bool fillOnly);
    // Whether the snapshot's cell is filled; false outside it.
    bool snapshotFilled(int c, int r) const;

    // ---- hidden answers ("Убрать ответы") ----
    // While the answers are hidden the texts carry no fill marks; the document
    // keeps which cells of the picture are filled, so that no edit can lose
    // the picture (see FieldEdit).
    bool answersHidden() const { return answersHidden_; }
    // Checks "Убрать ответы": remembers the fill marks and takes "-" out of
    // the texts.
    void hideAnswers();
    // Unchecks it and shows the picture again; nothing when shown.
    void showAnswers();
    // The text of a cell with its fill mark, also while the answers are
    // hidden (what a file or a recovery copy must hold).
    std::string pictureText(int c, int r) const;

    // An edit of the author's begins and ends (edits nest; see FieldEdit).
    // While one runs the fill marks stand in the texts.
    bool beginEdit();
    void endEdit();
    bool editing() const { return editDepth_ > 0; }

private:
    void takeAnswersOff();
    void putAnswersBack();
    void setAnswersHidden(bool hidden);

    Field field_;
    int cellSize_ = 24;
    Grid<std::string> snapshot_;
    bool modified_ = false;
    bool answersHidden_ = false;
    Grid<std::uint8_t> answerMask_;
    int editDepth_ = 0;
    std::vector<DocumentObserver*> observers_;
};

} // namespace klt
