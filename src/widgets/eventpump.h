#pragma once
// The one place that decides when pending interface events run while a long
// computation holds the UI thread: at the start of a command, and then at
// most every kEventPumpInterval, whoever asks (the gauge's steps, the
// readers of large puzzle pictures, the searches that can be stopped). The
// clock is monotonic. Header-only: it needs QtCore alone, so the picture
// readers of the command-line tool use it too.
#include <QCoreApplication>
#include <QElapsedTimer>

namespace klt {

// Often enough that the window repaints and "Стоп" answers at once; seldom
// enough that a step of a few microseconds is not slowed down by it.
constexpr qint64 kEventPumpInterval = 20; // milliseconds

inline QElapsedTimer& eventPumpClock()
{
    static QElapsedTimer clock; // one for the whole program
    return clock;
}

// Lets pending events run now.
inline void runPendingEvents()
{
    if (!QCoreApplication::instance()) return;
    QCoreApplication::processEvents();
    eventPumpClock().start();
}

// Lets pending events run if they last ran kEventPumpInterval ago or more.
inline void runPendingEventsSometimes()
{
    const QElapsedTimer& clock = eventPumpClock();
    if (clock.isValid() && clock.elapsed() < kEventPumpInterval) return;
    runPendingEvents();
}

} // namespace klt
