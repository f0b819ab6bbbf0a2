#pragma once
// The program's private settings file: "<program file name>.INI" in the
// user's configuration folder. The export and prize dialogs keep their
// settings there, apart from the main window's.
#include <QSettings>
#include <QString>
#include <memory>

namespace klt {

QString programIniPath();
std::unique_ptr<QSettings> openProgramIni();

} // namespace klt
