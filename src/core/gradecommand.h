#pragma once
// The grade command as the windows and kletomer-cli run it: the clues of the
// field graded, and the answer found — by the graded path when levels 1–3
// finish it, else by the uniqueness prover.
#include <string>

#include "core/context.h"
#include "core/field.h"
#include "core/grading.h"
#include "core/uniqueness.h"

namespace klt {

struct FieldGrade {
    ClueSet clues;
    GradeResult path;
    // One: answer holds the only answer. Several, None: the prover's verdict
    // when levels 1–3 stopped short (None also when they met a contradiction).
    // NoClues: nothing was graded. Interrupted: stopped.
    Answers answers = Answers::Interrupted;
    CellGrid answer;
    double seconds = 0;
};

// Reads the clues as the check command does (throws CommandError likewise),
// runs in the busy state with a two-phase progress display (the path, then
// the prover when needed) and shows no box: the callers present the result.
FieldGrade gradeCommand(const Field& field, CommandContext& ctx);

// The result in words, LF between lines: the grade, the steps per level, and
// how the answer was found.
std::string gradeSummary(const FieldGrade& grade);

// {"grade": "…", "solved": true|false, "steps": {"1": n1, "2": n2, "3": n3}}
std::string gradeJson(const FieldGrade& grade);

// The grade's name: gradeText, or "Нет ответа" / "Нет цифр!" when there is
// nothing to grade.
std::string gradeName(const FieldGrade& grade);

} // namespace klt
