// The real program killed in the middle of unsaved work and started again:
// its recovery copy brings the puzzle back. The program runs on a private X
// display (Xvfb, with openbox for focus and Alt+F4) and is driven by xdotool;
// every wait has a deadline, so a program that misbehaves fails the test
// instead of hanging it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

using Env = std::map<std::string, std::optional<std::string>>; // nullopt: removed

bool onPath(const std::string& tool)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string d; std::getline(dirs, d, ':');)
        if (!d.empty() && ::access((d + "/" + tool).c_str(), X_OK) == 0) return true;
    return false;
}

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The puzzle part of a copy: everything before its "[Recovery]" section.
std::string puzzlePart(const std::string& copy)
{
    return copy.substr(0, copy.find("[Recovery]"));
}

// A child process, stopped and reaped when it goes out of scope.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { stop(); }

    // fds: the child's descriptor (1, 2, 3…) mapped to one of ours.
    bool start(const std::vector<std::string>& argv, const Env& overrides, const std::map<int, int>& fds = {})
    {
        stop();
        std::map<std::string, std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string kv = *e;
            const auto eq = kv.find('=');
            if (eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
        for (const auto& [k, v] : overrides) {
            if (v) env[k] = *v;
            else env.erase(k);
        }
        std::vector<std::string> envStrings;
        for (const auto& [k, v] : env) envStrings.push_back(k + "=" + v);
        std::vector<char*> envp, args;
        for (auto& s : envStrings) envp.push_back(s.data());
        envp.push_back(nullptr);
        std::vector<std::string> argCopy = argv;
        for (auto& s : argCopy) args.push_back(s.data());
        args.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (const auto& [childFd, ourFd] : fds) posix_spawn_file_actions_adddup2(&actions, ourFd, childFd);
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        // Its own process group, so that what it starts goes with it.
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attr, 0);
        const int rc = ::posix_spawnp(&pid_, args[0], &actions, &attr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        if (rc != 0) pid_ = -1;
        return rc == 0;
    }

    bool running() const { return pid_ > 0; }

    // The exit code once the process has ended within timeout; -1 for a
    // signal; nothing when it still runs.
    std::optional<int> wait(std::chrono::milliseconds timeout)
    {
        if (pid_ <= 0) return std::nullopt;
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            int status = 0;
            const pid_t r = ::waitpid(pid_, &status, WNOHANG);
            if (r == pid_ || (r < 0 && errno == ECHILD)) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (Clock::now() >= deadline) return std::nullopt;
            std::this_thread::sleep_for(20ms);
        }
    }

    void kill(int sig)
    {
        if (pid_ > 0) ::kill(pid_, sig);
    }

    void stop()
    {
        if (pid_ <= 0) return;
        ::kill(-pid_, SIGTERM);
        if (!wait(3s)) {
            ::kill(-pid_, SIGKILL);
            wait(5s);
        }
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

struct Output {
    int code = -1;
    std::string out, err;
};

// Runs a short command, its output collected; killed after timeout.
Output run(const std::vector<std::string>& argv, const Env& env, std::chrono::milliseconds timeout = 10s)
{
    Output result;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return result;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return result;
    }
    Process p;
    const bool started = p.start(argv, env, {{1, out[1]}, {2, err[1]}});
    ::close(out[1]);
    ::close(err[1]);
    const auto deadline = Clock::now() + timeout;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = started ? 2 : 0;
    while (open > 0 && Clock::now() < deadline) {
        if (::poll(fds, 2, 50) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    if (started) {
        if (auto code = p.wait(open > 0 ? 0ms : 2s)) result.code = *code;
    }
    while (!result.out.empty() && (result.out.back() == '\n' || result.out.back() == '\r')) result.out.pop_back();
    return result;
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
}

std::vector<fs::path> copiesIn(const fs::path& folder)
{
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.path().extension() == ".kvt") out.push_back(e.path());
    return out;
}

class RecoveryProcess : public ::testing::Test {
protected:
    fs::path root;
    Env env;
    Process xserver, wm, app;

    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "openbox", "xdotool"})
            if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
        std::string pattern = (fs::temp_directory_path() / "kletomer-recovery-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        for (const char* d : {"home", "state", "config", "data", "runtime"}) fs::create_directories(root / d);
        fs::permissions(root / "runtime", fs::perms::owner_all);

        // The server picks a free display and tells its number.
        int pipeFds[2];
        ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        int writeEnd = pipeFds[1];
        if (writeEnd == 3) writeEnd = ::fcntl(pipeFds[1], F_DUPFD_CLOEXEC, 10);
        ASSERT_TRUE(xserver.start({"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"},
                                  {}, {{3, writeEnd}}));
        ::close(pipeFds[1]);
        if (writeEnd != pipeFds[1]) ::close(writeEnd);
        std::string number;
        const auto deadline = Clock::now() + 20s;
        pollfd pfd{pipeFds[0], POLLIN, 0};
        while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
            if (::poll(&pfd, 1, 100) <= 0) continue;
            char buf[32];
            const ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
            if (n <= 0) break;
            number.append(buf, static_cast<size_t>(n));
        }
        ::close(pipeFds[0]);
        ASSERT_NE(number.find('\n'), std::string::npos) << "Xvfb did not start";
        number.erase(number.find('\n'));

        env = {
            {"DISPLAY", ":" + number},
            {"HOME", (root / "home").string()},
            {"XDG_STATE_HOME", (root / "state").string()},
            {"XDG_CONFIG_HOME", (root / "config").string()},
            {"XDG_DATA_HOME", (root / "data").string()},
            {"XDG_RUNTIME_DIR", (root / "runtime").string()},
            {"QT_QPA_PLATFORM", "xcb"},
            {"KLETOMER_RECOVERY_INTERVAL_MS", "200"},
            {"WAYLAND_DISPLAY", std::nullopt},
            {"SESSION_MANAGER", std::nullopt},
        };
        ASSERT_TRUE(wm.start({"openbox", "--sm-disable"}, env));
        ASSERT_TRUE(waitFor(
            [&] { return run({"xdotool", "getactivewindow"}, env).err.find("claims not to support") == std::string::npos; },
            20s))
            << "openbox did not start";
    }

    void TearDown() override
    {
        app.stop();
        wm.stop();
        xserver.stop();
        if (!root.empty()) {
            std::error_code ec;
            fs::remove_all(root, ec);
        }
    }

    std::string activeName() { return run({"xdotool", "getactivewindow", "getwindowname"}, env).out; }
    // A box of the program: an active window that is not the main window.
    bool boxActive()
    {
        const std::string n = activeName();
        return !n.empty() && n.rfind("Клетомер", 0) != 0;
    }
    void key(const std::string& k) { run({"xdotool", "key", k}, env); }
    // Answers the active box with a key. The window manager may call a box
    // active a moment before the keyboard goes to it; a key sent then goes
    // elsewhere, so it is sent again while the box stays.
    bool answerBox(const std::string& k)
    {
        const std::string box = activeName();
        for (int tries = 0; tries < 5; ++tries) {
            key(k);
            if (waitFor([&] { return activeName() != box; }, 2s)) return true;
        }
        return false;
    }
};

TEST_F(RecoveryProcess, AKilledRunsPuzzleComesBackCellForCell)
{
    const std::string doc = (root / "doc.kvt").string();
    std::ofstream(doc, std::ios::binary) << "[Options]\r\nHeight=5\r\nWidth=5\r\nCellSize=24\r\nWord=\r\n[Field]\r\n"
                                            "Str0=;-;-; ; ; \r\nStr1=; ;-; ; ; \r\nStr2=; ; ; ; ; \r\n"
                                            "Str3=; ; ; ; ; \r\nStr4=; ; ; ; ; \r\n";
    const fs::path folder = root / "state/kletomer/recovery";
    const std::string mainTitle = "Клетомер-" + doc;

    // First run: a generation (its result box closed), then a typed clue.
    ASSERT_TRUE(app.start({KLETOMER_BIN, doc}, env));
    ASSERT_TRUE(waitFor([&] { return activeName() == mainTitle; }, 30s)) << activeName();
    key("F8");
    ASSERT_TRUE(waitFor([&] { return boxActive(); }, 60s)) << activeName();
    ASSERT_TRUE(answerBox("Return")) << activeName();
    std::string generated; // written at once after the generation
    ASSERT_TRUE(waitFor(
        [&] {
            const auto c = copiesIn(folder);
            if (c.size() == 1) generated = readFile(c[0]);
            return !generated.empty();
        },
        10s));
    EXPECT_NE(generated.find("\r\nDocument=" + doc + "\r\n"), std::string::npos) << generated;
    ASSERT_TRUE(waitFor([&] { return activeName() == mainTitle; }, 10s)) << activeName();
    key("9"); // no clue of this picture is 9, so the field changes
    std::string orphan;
    fs::path orphanPath;
    ASSERT_TRUE(waitFor(
        [&] {
            const auto c = copiesIn(folder);
            if (c.size() != 1) return false;
            orphanPath = c[0];
            orphan = readFile(c[0]);
            return puzzlePart(orphan) != puzzlePart(generated) && puzzlePart(orphan).find('9') != std::string::npos;
        },
        10s))
        << orphan;

    app.kill(SIGKILL);
    ASSERT_TRUE(app.wait(10s));
    ASSERT_EQ(readFile(orphanPath), orphan);

    // Second run: the question comes after the new puzzle is up; Yes.
    ASSERT_TRUE(app.start({KLETOMER_BIN}, env));
    ASSERT_TRUE(waitFor([&] { return boxActive(); }, 30s)) << activeName();
    ASSERT_TRUE(answerBox("Return")) << activeName();
    std::string own;
    ASSERT_TRUE(waitFor(
        [&] {
            const auto c = copiesIn(folder);
            if (c.size() != 1 || c[0] == orphanPath) return false;
            own = readFile(c[0]);
            return true;
        },
        10s));
    EXPECT_EQ(puzzlePart(own), puzzlePart(orphan));
    EXPECT_NE(own.find("\r\nDocument=" + doc + "\r\n"), std::string::npos) << own;
    ASSERT_TRUE(waitFor([&] { return activeName() == mainTitle; }, 10s)) << activeName();

    // Closing asks to save the recovered puzzle; Yes writes it to its file.
    key("alt+F4");
    ASSERT_TRUE(waitFor([&] { return boxActive(); }, 10s)) << activeName();
    ASSERT_TRUE(answerBox("Return")) << activeName();
    const auto code = app.wait(20s);
    ASSERT_TRUE(code) << "the program did not end";
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(readFile(doc), puzzlePart(orphan));
    EXPECT_TRUE(fs::is_empty(folder)); // a normal end leaves no copy and no lock
}

} // namespace
