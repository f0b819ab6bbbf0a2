#include "app/windowcontext.h"

#include <QDateTime>
#include <QElapsedTimer>

#include "widgets/eventpump.h"
#include "widgets/messagebox.h"
#include "widgets/progressstatusbar.h"

namespace klt {

void WindowContext::showInformation(const std::string& text, const std::string& caption)
{
    informationBox(QString::fromStdString(text), QString::fromStdString(caption));
}

void WindowContext::errorBox(const std::string& text)
{
    showErrorBox(QString::fromStdString(text));
}

void WindowContext::progressStart(const std::string& caption, int maximum)
{
    if (statusBar_) statusBar_->startProgress(QString::fromStdString(caption), maximum, ProgressCaption::Percent);
}

void WindowContext::progressStep(int by)
{
    if (statusBar_) statusBar_->stepBy(by);
}

void WindowContext::progressEnd()
{
    if (statusBar_) statusBar_->setMode(StatusMode::Statusbar);
}

void WindowContext::keepResponsive()
{
    runPendingEventsSometimes();
}

double WindowContext::now()
{
    // Elapsed times need a clock that never jumps, whatever the wall clock does.
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

std::uint32_t WindowContext::clockSeed()
{
    return static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
}

} // namespace klt
