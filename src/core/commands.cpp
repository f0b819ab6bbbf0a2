#include "core/commands.h"

#include "core/edits.h"
#include "core/fieldedit.h"
#include "core/prize.h"
#include "core/text.h"

namespace klt {

namespace {

// Leaves the busy state on every way out of a command.
class IdleGuard {
public:
    IdleGuard(Workspace& ws, bool endProgress) : ws_(ws), endProgress_(endProgress) {}
    ~IdleGuard()
    {
        if (endProgress_) ws_.host().progressEnd();
        ws_.stopped = true;
        ws_.host().updateActions();
    }
    IdleGuard(const IdleGuard&) = delete;
    IdleGuard& operator=(const IdleGuard&) = delete;

private:
    Workspace& ws_;
    bool endProgress_;
};

} // namespace

void thinZeroClues(Workspace& ws)
{
    Field& f = ws.field;
    const int cols = f.colCount(), rows = f.rowCount();
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r) {
            if (trim(f.text(c, r)) != "0") continue;
            if (c > 0 && c < cols - 1 && f.text(c - 1, r) == "0" && f.text(c + 1, r) == "0")
                f.setText(c, r, "");
            else if (r > 0 && r < rows - 1 && f.text(c, r - 1) == "0" && f.text(c, r + 1) == "0")
                f.setText(c, r, "");
        }
    }
}

namespace {

// Widens the field by one line for the p-th correcting attempt.
void enlarge(Workspace& ws, int p)
{
    Field& f = ws.field;
    if (p <= 2) {
        ws.setCurrentCell(0, ws.curRow);
        insertColumn(ws);
    } else if (p <= 4) {
        f.setColCount(f.colCount() + 1);
    } else if (p <= 6) {
        ws.setCurrentCell(ws.curCol, 0);
        insertRow(ws);
    } else {
        f.setRowCount(f.rowCount() + 1);
    }
    ws.host().fieldChanged();
}

} // namespace

GenerateOutcome generate(Workspace& ws, bool correcting, PlacementEngine& engine)
{
    Host& host = ws.host();
    // The generation works on the picture: hidden answers come back first.
    showAnswers(ws);
    clearPrize(ws);
    ws.takeSnapshot();
    IdleGuard guard(ws, true);

    if (!ws.stripClues()) {
        ws.restoreSnapshot(false);
        host.information("Нет закрашенных клеток!", "Обсчет");
        return GenerateOutcome::NoFilledCells;
    }
    ws.stopped = false;
    host.updateActions();
    const double start = host.now();
    ws.writeAllClues();
    if (host.ctrlDown()) return GenerateOutcome::FullClues;

    thinZeroClues(ws);
    ws.host().fieldChanged();
    ws.loadWorkArrays();

    bool solvable = false;
    for (int p = 1; p <= 8; ++p) {
        if (engine.solve(ws, false, std::nullopt) && ws.matchesSnapshot()) {
            solvable = true;
            break;
        }
        if (!correcting) break;
        enlarge(ws, p);
        // The snapshot holds the enlarged picture without clues: undo and
        // the ends below go back to it.
        ws.stripClues();
        ws.takeSnapshot();
        ws.writeAllClues();
        ws.loadWorkArrays();
    }
    if (!solvable) {
        ws.restoreSnapshot(false);
        host.information("Не решается!", "Обсчет");
        return GenerateOutcome::NotSolvable;
    }

    host.progressStart("Ждите...", ws.field.colCount() * ws.field.rowCount());
    engine.placeClues(ws, host.clockSeed());
    if (ws.stopped) {
        host.information("Прервано !", "Обсчет");
        ws.restoreSnapshot(false);
        return GenerateOutcome::Interrupted;
    }
    ws.storeWorkArrays();
    ws.restoreSnapshot(true);
    const bool solved = engine.solve(ws, true, start);
    ws.setModified(true);
    return solved ? GenerateOutcome::Solved : GenerateOutcome::Stuck;
}

CheckOutcome check(Workspace& ws, PlacementEngine& engine)
{
    IdleGuard guard(ws, false);
    bool anyNumber = false;
    for (int c = 0; c < ws.field.colCount() && !anyNumber; ++c)
        for (int r = 0; r < ws.field.rowCount() && !anyNumber; ++r) anyNumber = ws.holdsNumber(c, r);
    if (!anyNumber) {
        ws.host().information("Нет цифр!", "Проверка");
        return CheckOutcome::NoNumbers;
    }
    clearPrize(ws);
    ws.stopped = false;
    // The snapshot keeps the picture, so that undo brings it back.
    showAnswers(ws);
    ws.host().updateActions();
    ws.takeSnapshot();
    ws.loadWorkArrays();
    const bool solved = engine.solve(ws, true, std::nullopt);
    ws.storeWorkArrays();
    return solved ? CheckOutcome::Solved : CheckOutcome::Stuck;
}

void undo(Workspace& ws)
{
    FieldEdit edit(ws);
    ws.setCurrentCell(0, 0);
    ws.restoreSnapshot(false);
}

void toggleHideAnswers(Workspace& ws)
{
    if (ws.answersHidden) {
        showAnswers(ws);
        return;
    }
    ws.setHideAnswers(true);
    ws.takeSnapshot();
    takeAnswersOff(ws);
    ws.host().fieldChanged();
}

} // namespace klt
