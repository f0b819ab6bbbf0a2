#include "core/commands.h"

#include "core/edits.h"
#include "core/fieldedit.h"
#include "core/prize.h"
#include "core/text.h"

namespace klt {

void thinZeroClues(Field& f)
{
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
    Field& f = ws.doc.field();
    if (p <= 2) {
        ws.cursor.setCurrentCell(0, ws.cursor.row);
        insertColumn(ws);
    } else if (p <= 4) {
        f.setColCount(f.colCount() + 1);
    } else if (p <= 6) {
        ws.cursor.setCurrentCell(ws.cursor.col, 0);
        insertRow(ws);
    } else {
        f.setRowCount(f.rowCount() + 1);
    }
    ws.doc.notifyFieldChanged();
}

void stripAndShow(PuzzleDocument& doc, bool* anyFilled = nullptr)
{
    const bool any = stripClues(doc.field());
    if (anyFilled) *anyFilled = any;
    doc.notifyFieldChanged();
}

void writeAllAndShow(PuzzleDocument& doc)
{
    writeAllClues(doc.field());
    doc.notifyFieldChanged();
}

void storeAndShow(const WorkArrays& w, PuzzleDocument& doc, CommandContext& ctx)
{
    storeWorkArrays(w, doc.field());
    doc.notifyFieldChanged();
    ctx.keepResponsive();
}

} // namespace

GenerateOutcome generate(Workspace& ws, CommandContext& ctx, PlacementEngine& engine, const GenerateOptions& options)
{
    PuzzleDocument& doc = ws.doc;
    // The generation works on the picture: hidden answers come back first.
    doc.showAnswers();
    clearPrize(doc);
    doc.takeSnapshot();
    BusyScope busy(ctx, true);

    bool anyFilled = false;
    stripAndShow(doc, &anyFilled);
    if (!anyFilled) {
        doc.restoreSnapshot(false);
        ctx.information("Нет закрашенных клеток!", "Обсчет");
        return GenerateOutcome::NoFilledCells;
    }
    busy.start();
    const double start = ctx.now();
    writeAllAndShow(doc);
    if (options.allClues) return GenerateOutcome::FullClues;

    thinZeroClues(doc.field());
    doc.notifyFieldChanged();
    loadWorkArrays(doc.field(), engine.work());

    bool solvable = false;
    for (int p = 1; p <= 8; ++p) {
        if (engine.solve(ctx, false, std::nullopt) && matchesPicture(engine.work(), doc.snapshot())) {
            solvable = true;
            break;
        }
        if (!options.correcting) break;
        enlarge(ws, p);
        // The snapshot holds the enlarged picture without clues: undo and
        // the ends below go back to it.
        stripAndShow(doc);
        doc.takeSnapshot();
        writeAllAndShow(doc);
        loadWorkArrays(doc.field(), engine.work());
    }
    if (!solvable) {
        doc.restoreSnapshot(false);
        ctx.information("Не решается!", "Обсчет");
        return GenerateOutcome::NotSolvable;
    }

    ctx.progressStart("Ждите...", doc.field().colCount() * doc.field().rowCount());
    engine.placeClues(doc.snapshot(), options.placement, ctx, options.seed ? *options.seed : ctx.clockSeed());
    if (ctx.stopped()) {
        ctx.information("Прервано !", "Обсчет");
        doc.restoreSnapshot(false);
        return GenerateOutcome::Interrupted;
    }
    storeAndShow(engine.work(), doc, ctx);
    doc.restoreSnapshot(true);
    const bool solved = engine.solve(ctx, true, start);
    doc.setModified(true);
    return solved ? GenerateOutcome::Solved : GenerateOutcome::Stuck;
}

CheckOutcome check(Workspace& ws, CommandContext& ctx, PlacementEngine& engine)
{
    PuzzleDocument& doc = ws.doc;
    BusyScope busy(ctx, false);
    bool anyNumber = false;
    const Field& f = doc.field();
    for (int c = 0; c < f.colCount() && !anyNumber; ++c)
        for (int r = 0; r < f.rowCount() && !anyNumber; ++r) anyNumber = holdsNumber(f, c, r);
    if (!anyNumber) {
        ctx.information("Нет цифр!", "Проверка");
        return CheckOutcome::NoNumbers;
    }
    clearPrize(doc);
    // The snapshot keeps the picture, so that undo brings it back.
    doc.showAnswers();
    busy.start();
    doc.takeSnapshot();
    loadWorkArrays(doc.field(), engine.work());
    const bool solved = engine.solve(ctx, true, std::nullopt);
    storeAndShow(engine.work(), doc, ctx);
    return solved ? CheckOutcome::Solved : CheckOutcome::Stuck;
}

void undo(Workspace& ws)
{
    FieldEdit edit(ws);
    ws.cursor.setCurrentCell(0, 0);
    ws.doc.restoreSnapshot(false);
}

void toggleHideAnswers(PuzzleDocument& doc)
{
    if (doc.answersHidden())
        doc.showAnswers();
    else
        doc.hideAnswers();
}

} // namespace klt
