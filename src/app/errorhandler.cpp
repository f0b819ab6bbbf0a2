#include "app/errorhandler.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <exception>

#include "core/abort.h"
#include "core/workspace.h"
#include "widgets/messagebox.h"

namespace klt {

namespace {

void writeLog(const QString& message)
{
    const QString path = errorLogPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::Append | QIODevice::Text)) return; // nowhere to log; the box still shows
    QTextStream out(&f);
    out << QDateTime::currentDateTime().toString(Qt::ISODate) << ' ' << message << '\n';
}

bool& showing()
{
    static bool flag = false;
    return flag;
}

} // namespace

QString stateFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/kletomer");
}

QString errorLogPath()
{
    return stateFolder() + QStringLiteral("/kletomer.log");
}

void logError(const QString& message)
{
    writeLog(message);
}

void reportCurrentException()
{
    const auto text = currentErrorText();
    if (!text) return;
    const QString message = QString::fromStdString(*text);
    writeLog(message);
    // An error raised while the box of an earlier one is open is only logged,
    // so that boxes cannot pile up.
    if (showing()) return;
    showing() = true;
    try {
        showErrorBox(message);
    } catch (...) {
    }
    showing() = false;
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

} // namespace klt
