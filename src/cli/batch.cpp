#include "cli/batch.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "core/error.h"
#include "files/ioerror.h"

namespace klt::cli {
namespace {

int coreCount()
{
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

struct FileResult {
    int code = kExitUsage;
    CapturedLines lines;
};

// "a; b" from the lines "a\nb\n", blank lines left out.
std::string joinLines(const std::string& lines)
{
    std::string joined;
    size_t start = 0;
    while (start < lines.size()) {
        size_t end = lines.find('\n', start);
        if (end == std::string::npos) end = lines.size();
        if (end > start) {
            if (!joined.empty()) joined += "; ";
            joined.append(lines, start, end - start);
        }
        start = end + 1;
    }
    return joined;
}

FileResult runOne(const BatchWork& work, const BatchFile& file)
{
    FileResult r;
    try {
        Session s(&r.lines);
        r.code = work(s, file);
    } catch (...) {
        r.code = kExitUsage;
        if (auto text = currentErrorText()) r.lines.err += splitLines(*text);
    }
    return r;
}

// The progress line on a terminal: rewritten in place, erased at the end.
class Progress {
public:
    Progress(std::string command, size_t total) : command_(std::move(command)), total_(total), shown_(::isatty(2) == 1) {}

    void update(size_t done)
    {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (done < total_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        std::fprintf(stderr, "\rkletomer-cli %s: %zu из %zu\033[K", command_.c_str(), done, total_);
        std::fflush(stderr);
        drawn_ = true;
    }
    // Before other lines go to standard error.
    void erase()
    {
        if (!drawn_) return;
        std::fputs("\r\033[K", stderr);
        drawn_ = false;
        last_ = {};
    }

private:
    std::string command_;
    size_t total_;
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace

std::optional<std::string> takeJobsOption(std::vector<std::string>& argv)
{
    std::optional<std::string> jobs;
    std::vector<std::string> rest;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a == "-j" || a == "--jobs") {
            if (i + 1 >= argv.size()) throw UsageError{"параметру " + a + " нужно значение"};
            jobs = argv[++i];
        } else if (a.size() > 2 && a.compare(0, 2, "-j") == 0) {
            jobs = a.substr(2);
        } else if (a.compare(0, 7, "--jobs=") == 0) {
            jobs = a.substr(7);
        } else {
            rest.push_back(a);
        }
    }
    argv = std::move(rest);
    return jobs;
}

BatchCall makeBatchCall(const std::vector<std::string>& inputs, const std::string& outDir,
                        const std::optional<std::string>& jobs,
                        const std::function<std::string(const std::string& fileName)>& outputName)
{
    namespace fs = std::filesystem;
    if (inputs.empty()) throw UsageError{"нужен хотя бы один входной файл"};
    BatchCall call;
    call.jobs = jobs ? static_cast<int>(parseInteger(*jobs, "-j", 1, 1024)) : coreCount();
    call.jobs = std::min<int>(call.jobs, static_cast<int>(inputs.size()));

    // Two inputs of one name (from different folders, or one given twice)
    // would write the same output at the same time.
    std::set<std::string> outputs;
    for (const std::string& in : inputs) {
        const std::string name = fs::path(in).filename().string();
        if (name.empty()) throw UsageError{"\"" + in + "\" — не имя файла"};
        BatchFile f{in, (fs::path(outDir) / outputName(name)).string()};
        if (!outputs.insert(f.output).second)
            throw UsageError{"два входных файла дают один выходной: " + f.output};
        call.files.push_back(std::move(f));
    }

    makeBatchFolder(outDir, "--out-dir");
    return call;
}

void makeBatchFolder(const std::string& folder, const std::string& option)
{
    namespace fs = std::filesystem;
    if (folder.empty()) throw UsageError{option + ": нужна папка"};
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec))
        throw UsageError{option + ": папка \"" + folder + "\" не создана: " + systemErrorText(ec ? ec.value() : ENOTDIR)};
}

std::string rowsFilePath(const std::string& folder, const BatchFile& file)
{
    namespace fs = std::filesystem;
    return (fs::path(folder) / (fs::path(file.input).filename().string() + ".txt")).string();
}

int runBatch(const std::string& command, const BatchCall& call, const BatchWork& work)
{
    const size_t n = call.files.size();
    std::vector<FileResult> results(n);
    std::vector<char> done(n, 0);
    size_t finished = 0;
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<size_t> next{0};

    auto worker = [&] {
        for (size_t i; (i = next.fetch_add(1)) < n;) {
            FileResult r = runOne(work, call.files[i]);
            {
                const std::lock_guard lock(mutex);
                results[i] = std::move(r);
                done[i] = 1;
                ++finished;
            }
            changed.notify_one();
        }
    };
    std::vector<std::thread> threads;
    try {
        for (int t = 0; t < call.jobs; ++t) threads.emplace_back(worker);
    } catch (const std::system_error&) {
        // Fewer threads than asked do the same work; with none, this thread does it all.
        if (threads.empty()) worker();
    }

    Progress progress(command, n);
    bool anyError = false, anyVerdict = false;
    size_t printed = 0, finishedSeen = 0;
    while (printed < n) {
        std::vector<FileResult> ready;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return done[printed] || finished != finishedSeen; });
            for (size_t i = printed; i < n && done[i]; ++i) ready.push_back(std::move(results[i]));
            finishedSeen = finished;
        }
        for (FileResult& r : ready) {
            const BatchFile& f = call.files[printed++];
            const std::string err = joinLines(r.lines.err);
            std::string summary = joinLines(r.lines.out);
            if (!err.empty()) summary += (summary.empty() ? "" : "; ") + err;
            if (summary.empty()) summary = r.code == 0 ? "Готово" : "Ошибка";
            std::printf("%s: %s\n", f.input.c_str(), summary.c_str());
            if (!err.empty()) {
                progress.erase();
                std::fflush(stdout);
                std::fprintf(stderr, "%s: %s\n", f.input.c_str(), err.c_str());
            }
            anyError = anyError || r.code == kExitUsage;
            anyVerdict = anyVerdict || r.code != 0;
        }
        std::fflush(stdout);
        progress.update(finishedSeen);
    }
    for (std::thread& t : threads) t.join();
    progress.erase();
    std::fflush(stderr);
    return anyError ? kExitUsage : anyVerdict ? kExitBatchVerdicts : 0;
}

} // namespace klt::cli
