#pragma once
// The solving path: a window beside the main one that replays how the graded
// solver decides the cells of the puzzle, step by step, on a picture of the
// clues of its own. The cells decided so far are tinted by the level that
// decided them (dark for filled, light for white), the clues the current step
// used are outlined with their blocks, and the cells it decided are framed.
// The author may also mark cells by hand (test-solving) and ask for a hint:
// the next step from what is known now.
//
// The window only reads the field: it keeps its own copy of the clues and
// never touches the document. When the clues on the field change under it, it
// goes stale: the picture is cleared and the window offers to grade again.
#include <QDialog>
#include <QAbstractScrollArea>
#include <QPixmap>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/gradecommand.h"
#include "core/grading.h"
#include "core/workspace.h"

class QAction;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class QToolButton;

namespace klt {

// The colours of the levels 1..3: the fill of a filled cell, the tint of a white one.
QColor levelColor(int level, bool filled);

// What the picture of the path shows: the clues, the state of every cell and
// where it came from, and the marks of the step or hint shown.
struct PathPicture {
    enum class Source : std::uint8_t { Open, Path, Own, Trial };
    ClueSet clues;
    // Per cell: the state shown, where it came from, and for Source::Path the level.
    std::vector<std::int8_t> state;
    std::vector<Source> source;
    std::vector<std::uint8_t> level;
    // The current step or hint: the clues it used, the cells it decides (a
    // hint's cells are still open: then hintFill is the fill they get), and a
    // clue that cannot be met.
    std::vector<int> stepClues, stepCells;
    std::optional<std::uint8_t> hintFill;
    int blockOutlines = 0; // how many of the first clues have their block outlined
    int broken = -1;
};

// The picture itself: zoom with Ctrl and the wheel, scroll, click a cell to
// cycle its own mark (left: open, filled, white; right: the other way round).
class PathField : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PathField(const PathPicture& picture, QWidget* parent = nullptr);

    int cellSize() const { return cellSize_; }
    void setCellSize(int px);
    // The largest cell size (within the limits) that shows the whole field.
    int fittingCellSize() const;
    // Scrolls so that the cells are in view, if none of them is yet.
    void bringIntoView(const std::vector<int>& cells);
    // The area of a cell inside the grid lines, in viewport coordinates.
    QRect cellRect(int c, int r) const;
    std::optional<QPoint> cellAt(const QPoint& viewportPos) const;
    // The picture's size or contents changed.
    void pictureChanged();

    static constexpr int kMinCellSize = 1, kMaxCellSize = 48;

signals:
    void cellClicked(int index, bool forward);
    void cellHovered(int col, int row); // -1, -1: none
    void zoomRequested(int steps);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    int pitch() const;
    // Where the corner of cell (0, 0) is in the viewport.
    QPoint origin() const;
    void updateScrollBars();
    const QPixmap& digit(int value, bool light);
    void paintCell(QPainter& p, int c, int r, const QRect& cell);
    void paintMarks(QPainter& p, int c0, int c1, int r0, int r1);
    void frameBlock(QPainter& p, int index, const QColor& colour, bool strong);

    const PathPicture& pic_;
    int cellSize_ = 16;
    int wheelRest_ = 0;
    QPixmap digits_[2][10]; // dark and light digits at the current size
};

class PathView : public QDialog, private DocumentObserver {
    Q_OBJECT
public:
    // grade and hint are the window's actions, offered again in the view.
    PathView(Workspace& ws, QAction* grade, QAction* hint, QWidget* parent = nullptr);
    ~PathView() override;

    // Shows the path of a grading from its start (nothing known).
    void showGrade(FieldGrade grade);
    // Test-solving without a path: the clues, nothing known.
    void showClues(ClueSet clues);
    // The next step from what is shown now (the path's state at the current
    // step with the author's own marks), shown like a step of the path.
    void hint();

    // Whether the clues on the field still are the ones shown; checks now.
    bool stale();
    bool hasPath() const { return hasPath_; }

    // Steps applied, 0..stepCount().
    int position() const { return position_; }
    int stepCount() const { return static_cast<int>(grade_.path.steps.size()); }
    void setPosition(int steps);
    // To the next (forward) or the last earlier step above level 1.
    void jumpToHardStep(bool forward);
    // Cycles the author's own mark of a cell: open, filled, white (forward).
    void cycleCell(int index, bool forward);
    void clearOwnMarks();
    void setAnswerShown(bool on);

    const PathPicture& picture() const { return pic_; }
    const FieldGrade& grade() const { return grade_; }
    QString reason() const;
    QString stepText() const;
    QString summary() const;
    PathField* field() const { return field_; }

signals:
    // The text for the main window's status bar: the current step's reason,
    // empty when the view has nothing to say (closed, stale).
    void statusText(const QString& text);

protected:
    void hideEvent(QHideEvent* e) override;

private:
    void fieldChanged() override;
    void modifiedChanged(bool) override;
    void buildLayout();
    // Shows the window on the clues just set, watching the field from now on.
    void present();
    void checkField();
    void setStale(bool stale);
    void resetOwn();
    void dropHint();
    void zoomBy(int steps);
    // The state at the current position with the own marks, the trial
    // answer and the current step's marks, into pic_.
    void refresh();
    void setReason(const QString& text);
    // The reason of the step at the current position.
    QString positionReason() const;
    // Empties the view: no clues, no path, no marks.
    void clear();
    void updateControls();
    std::int8_t pathState(size_t i) const;

    Workspace& ws_;
    QAction* gradeAction_;
    QAction* hintAction_;
    FieldGrade grade_;
    bool hasPath_ = false;
    bool stale_ = false;
    std::uint64_t revision_ = 0;
    // The step each cell was decided by, -1 for none: stepping only repaints.
    std::vector<int> decidedAt_;
    // The author's marks: kCellOpen/White/Filled, kNoOwnMark where none.
    static constexpr std::int8_t kNoOwnMark = -2;
    std::vector<std::int8_t> own_;
    int position_ = 0;
    int brokenAtEnd_ = -1; // the clue a contradictory path ends at
    bool answerShown_ = false;
    // The last hint: its step, or the clue the state breaks; asked for even
    // when it found neither.
    std::optional<GradeStep> hint_;
    int hintBroken_ = -1;
    bool hintAsked_ = false;
    QString reason_;
    PathPicture pic_;

    QLabel* summary_ = nullptr;
    QLabel* notice_ = nullptr;
    QPushButton* answerButton_ = nullptr;
    QLabel* trialLegend_ = nullptr;
    QLabel* trialIcon_ = nullptr;
    QWidget* staleBox_ = nullptr;
    PathField* field_ = nullptr;
    QLabel* reasonLabel_ = nullptr;
    QWidget* navigation_ = nullptr;
    QToolButton *first_ = nullptr, *back_ = nullptr, *forward_ = nullptr, *last_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* stepLabel_ = nullptr;
    QLabel* hovered_ = nullptr;
    QToolButton* clearOwn_ = nullptr;
    QTimer* watch_ = nullptr;
};

} // namespace klt
