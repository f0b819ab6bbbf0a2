#pragma once
// The commands' context in the main window: message boxes, the status bar's
// progress gauge, the event loop now and then, a monotonic clock, a seed
// from the clock, and the busy state that greys the window's actions.
#include <functional>

#include "core/context.h"

namespace klt {

class TProgressStatusbar;

class WindowContext : public CommandContext {
public:
    // busyChanged runs whenever a command's busy state begins or ends.
    explicit WindowContext(std::function<void()> busyChanged) : onBusyChanged_(std::move(busyChanged)) {}
    // The bar that shows the progress; none until the window has one.
    void setStatusBar(TProgressStatusbar* bar) { statusBar_ = bar; }

    void errorBox(const std::string& text) override;
    void progressStart(const std::string& caption, int maximum) override;
    void progressStep(int by) override;
    void progressEnd() override;
    void keepResponsive() override;
    double now() override;
    std::uint32_t clockSeed() override;

protected:
    void showInformation(const std::string& text, const std::string& caption) override;
    void busyChanged(bool) override { onBusyChanged_(); }

private:
    TProgressStatusbar* statusBar_ = nullptr;
    std::function<void()> onBusyChanged_;
};

} // namespace klt
