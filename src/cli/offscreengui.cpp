#include "cli/offscreengui.h"

#include <cstdio>
#include <cstdlib>

namespace klt::cli {

OffscreenGui::OffscreenGui()
{
    if (QGuiApplication::instance()) return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's notes about the missing desktop session are no business of the command's output.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

} // namespace klt::cli
