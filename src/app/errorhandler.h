#pragma once
// The program's last line against errors: an exception that escapes a
// command or an event handler is shown with its message and written to the
// error log, and the program goes on. klt::SilentAbort ends a command quietly.
#include <QApplication>
#include <QString>

namespace klt {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Call from inside a catch block: reports the exception being handled.
void reportCurrentException();

// Runs f, reporting whatever it throws.
template <class F>
void guarded(F&& f)
{
    try {
        f();
    } catch (...) {
        reportCurrentException();
    }
}

// The program's folder in the user's state folder:
// $XDG_STATE_HOME/kletomer, by default ~/.local/state/kletomer.
QString stateFolder();

// The error log in the state folder.
QString errorLogPath();

// Writes message to the error log only, without a box.
void logError(const QString& message);

} // namespace klt
