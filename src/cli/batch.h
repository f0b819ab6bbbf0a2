#pragma once
// The batch form of a command: several inputs in one call, each output into
// one folder under the input's name, the files worked on every core at once.
// Each file runs in a session of its own (workspace, context, engine) and
// keeps its messages, so that standard output gets one summary line per file,
// in the order of the inputs.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/session.h"

namespace klt::cli {

// Exit code of a batch in which every file was read and written but some
// command ended with a verdict other than success (0).
constexpr int kExitBatchVerdicts = 6;

struct BatchFile {
    std::string input;  // as given on the command line
    std::string output; // in the output folder
};

struct BatchCall {
    std::vector<BatchFile> files;
    int jobs = 1;
};

// Takes "-j N", "-jN", "--jobs N" or "--jobs=N" out of argv; the value as given.
std::optional<std::string> takeJobsOption(std::vector<std::string>& argv);

// The batch call of inputs into outDir (created when missing): each output is
// outDir/outputName(the input's file name). jobs: the -j value, all cores when
// empty. Throws UsageError when there is no input, two inputs would write the
// same output, jobs is no count, or the folder cannot be made.
BatchCall makeBatchCall(const std::vector<std::string>& inputs, const std::string& outDir,
                        const std::optional<std::string>& jobs,
                        const std::function<std::string(const std::string& fileName)>& outputName);

// Makes folder (with its parents) when missing; throws UsageError naming
// option when it cannot be made.
void makeBatchFolder(const std::string& folder, const std::string& option);

// A batch's per-file rows (check's marks, unique's differences) are written to
// folder/<the input's file name>.txt; the inputs' names differ, as their
// outputs do.
std::string rowsFilePath(const std::string& folder, const BatchFile& file);

// One file's command; returns its exit code. Its messages go to the session's
// context; an exception is the file's error (exit 2).
using BatchWork = std::function<int(Session& s, const BatchFile& file)>;

// Runs work on every file, prints the summary lines ("INPUT: messages", the
// lines joined by "; ") and, when standard error is a terminal, a progress
// line there; each file's error lines go to standard error as "INPUT: text"
// too. Returns 0 when every file ended with 0, 2 when some file could not be
// read or written (or failed otherwise), else kExitBatchVerdicts.
int runBatch(const std::string& command, const BatchCall& call, const BatchWork& work);

} // namespace klt::cli
