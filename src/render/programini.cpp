#include "render/programini.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace klt {

QString programIniPath()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty()) name = QStringLiteral("kletomer");
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + name +
           QStringLiteral(".INI");
}

std::unique_ptr<QSettings> openProgramIni()
{
    return std::make_unique<QSettings>(programIniPath(), QSettings::IniFormat);
}

} // namespace klt
