#include "core/gradecommand.h"

namespace klt {

FieldGrade gradeCommand(const Field& field, CommandContext& ctx)
{
    FieldGrade g;
    g.clues = cluesOnField(field); // throws before the busy state, as the check does
    if (g.clues.count() == 0) {
        g.answers = Answers::NoClues;
        return g;
    }
    BusyScope busy(ctx, true);
    busy.start();
    const double start = ctx.now();
    ctx.progressStart("Ждите...", 2);
    const StopCheck stop = pumpingStopCheck(ctx);
    GradeOptions options;
    options.stop = stop;
    g.path = gradePuzzle(g.clues, options);
    ctx.progressStep(1);
    if (g.path.interrupted || ctx.stopped()) return g;
    if (g.path.solved) {
        g.answers = Answers::One;
        g.answer = CellGrid(g.clues.cols, g.clues.rows);
        for (size_t i = 0; i < g.path.cells.size(); ++i) g.answer.cells[i] = g.path.cells[i] == kCellFilled;
    } else if (g.path.contradiction) {
        g.answers = Answers::None;
    } else {
        UniquenessOptions uo;
        uo.stop = stop;
        uo.known = g.path.cells; // what levels 1–3 decided, the check need not find again
        const UniquenessResult res = checkUniqueness(g.clues, uo);
        g.answers = res.answers;
        if (res.answers == Answers::One) g.answer = res.first;
    }
    ctx.progressStep(1);
    g.seconds = ctx.now() - start;
    return g;
}

std::string gradeName(const FieldGrade& g)
{
    if (g.answers == Answers::NoClues) return "Нет цифр!";
    if (g.answers == Answers::None) return "Нет ответа";
    return gradeText(g.path.grade);
}

std::string gradeSummary(const FieldGrade& g)
{
    if (g.answers == Answers::NoClues) return "Нет цифр!";
    if (g.answers == Answers::Interrupted) return "Прервано !";
    std::string text = "Сложность: " + gradeName(g) + "\n";
    text += "Шагов уровня 1 (одно число): " + std::to_string(g.path.perLevel[1]) + "\n";
    text += "Шагов уровня 2 (два числа): " + std::to_string(g.path.perLevel[2]) + "\n";
    text += "Шагов уровня 3 (противоречие): " + std::to_string(g.path.perLevel[3]);
    if (g.path.solved) return text;
    size_t open = 0;
    for (auto s : g.path.cells) open += s == kCellOpen;
    if (g.path.contradiction) {
        const int k = g.path.brokenClue, rows = g.clues.rows;
        return text + "\nЧисла противоречат друг другу: число " + std::to_string(g.clues.clues[static_cast<size_t>(k)]) +
               " в (" + std::to_string(k / rows) + ", " + std::to_string(k % rows) + ") не сходится";
    }
    text += "\nНе решено уровнями 1–3: клеток " + std::to_string(open) + " из " + std::to_string(g.path.cells.size());
    switch (g.answers) {
    case Answers::One: return text + "\nПеребор: ответ единственный";
    case Answers::Several: return text + "\nПеребор: ответов несколько";
    case Answers::None: return text + "\nПеребор: ответа нет";
    default: return text;
    }
}

namespace {

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (char ch : s) {
        if (ch == '"' || ch == '\\') out += '\\';
        out += ch;
    }
    return out + "\"";
}

} // namespace

std::string gradeJson(const FieldGrade& g)
{
    return "{\"grade\": " + jsonString(gradeName(g)) + ", \"solved\": " + (g.path.solved ? "true" : "false") +
           ", \"steps\": {\"1\": " + std::to_string(g.path.perLevel[1]) + ", \"2\": " + std::to_string(g.path.perLevel[2]) +
           ", \"3\": " + std::to_string(g.path.perLevel[3]) + "}}";
}

} // namespace klt
