#include "render/programini.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace klt {

QString programIniPath()
{
    // The application name is the program file's name unless main() sets it
    // (to the same); the prize dialog names its file the same way.
    QString name = QCoreApplication::applicationName();
    if (name.isEmpty()) name = QStringLiteral("kletomer");
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + name +
           QStringLiteral(".INI");
}

std::unique_ptr<QSettings> openProgramIni()
{
    return std::make_unique<QSettings>(programIniPath(), QSettings::IniFormat);
}

} // namespace klt
