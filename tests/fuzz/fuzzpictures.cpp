#include "fuzzpictures.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "import/importmodel.h"
#include "import/picture.h"

namespace klt::fuzz {

namespace {

void quiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

} // namespace

void startGui()
{
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet);
    static int argc = 1;
    static char name[] = "kletomer-fuzz";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process.
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

void render(const Picture& picture)
{
    renderScaled(picture, std::clamp(picture.width(), 1, 64), std::clamp(picture.height(), 1, 64));
}

} // namespace klt::fuzz
