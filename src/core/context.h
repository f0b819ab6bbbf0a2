#pragma once
// What a command may ask of the program around it: message boxes, the
// progress display, a chance for the interface to repaint, the clock, a seed,
// and the busy state with its stop request. The main window and the
// command-line tool each provide one; commands get their options as
// arguments and report what happened in their results.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace klt {

class CommandContext {
public:
    virtual ~CommandContext() = default;

    // An information box (information icon, OK). Texts are UTF-8; a line break
    // inside a message is CR LF. While a MessageHold is active the box is kept
    // back instead.
    void information(const std::string& text, const std::string& caption);
    // The error box: the error sound, then caption "Ошибка" with an error icon.
    virtual void errorBox(const std::string& text) { (void)text; }

    // Status-bar progress: start with a caption and a maximum, step (which lets
    // pending interface events run, so "Стоп" can be clicked), back to panels.
    virtual void progressStart(const std::string& caption, int maximum) { (void)caption; (void)maximum; }
    virtual void progressStep(int by) { (void)by; }
    virtual void progressEnd() {}
    // Lets pending interface events run now and then (the grid repaints,
    // "Стоп" can be clicked).
    virtual void keepResponsive() {}

    // Seconds since some fixed moment, from a clock that never jumps.
    virtual double now() { return 0.0; }
    // Seed for the pseudo-random generator ("from the clock").
    virtual std::uint32_t clockSeed() { return 0; }

    // True while no long computation runs, and as soon as a stop was asked.
    bool stopped() const { return stopped_; }
    // The flag itself, for loops that test it on every pass.
    const bool& stopFlag() const { return stopped_; }
    bool busy() const { return busyDepth_ > 0; }
    // "Стоп": the running computation ends at its next check.
    void requestStop() { stopped_ = true; }

protected:
    virtual void showInformation(const std::string& text, const std::string& caption) { (void)text; (void)caption; }
    // The busy state began or ended: the program greys or restores its actions.
    virtual void busyChanged(bool busy) { (void)busy; }

private:
    friend class BusyScope;
    friend class MessageHold;
    bool stopped_ = true;
    int busyDepth_ = 0;
    std::vector<std::pair<std::string, std::string>>* held_ = nullptr;
};

// The busy state of one command. start() begins it (actions greyed, Stop
// enabled); leaving the scope ends the progress display and the busy state on
// every way out. Scopes nest: an inner command neither restarts a stop that
// was asked nor ends the outer command's busy state.
class BusyScope {
public:
    BusyScope(CommandContext& ctx, bool endsProgress) : ctx_(ctx), endsProgress_(endsProgress) {}
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    void start();

private:
    CommandContext& ctx_;
    bool endsProgress_;
    bool started_ = false;
};

// Keeps the information boxes back while it lives; release() shows them in
// their order, and whatever is not released is dropped.
class MessageHold {
public:
    explicit MessageHold(CommandContext& ctx);
    ~MessageHold();
    MessageHold(const MessageHold&) = delete;
    MessageHold& operator=(const MessageHold&) = delete;

    void release();

private:
    CommandContext& ctx_;
    std::vector<std::pair<std::string, std::string>> held_;
    std::vector<std::pair<std::string, std::string>>* outer_;
};

} // namespace klt
