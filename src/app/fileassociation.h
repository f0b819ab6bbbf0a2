#pragma once
// The file association, written at every start: a shared-mime-info package
// that names "*.kvt" files "Клетомер" and a desktop entry that opens them
// with this program, both under the user's data folder.
#include <QString>
#include <QStringList>

namespace klt {

struct AssociationFiles {
    QString mimePackage;  // <data>/mime/packages/kletomer.xml
    QString desktopEntry; // <data>/applications/kletomer.desktop
};

// $XDG_DATA_HOME, or ~/.local/share when it is unset or not absolute.
QString userDataHome();

AssociationFiles associationFiles(const QString& dataHome);

// The contents of the two files for the program at programPath.
QByteArray mimePackageText();
QByteArray desktopEntryText(const QString& programPath);

// Writes both files where their content differs (a second start changes
// nothing) and, when anything was written, asks update-mime-database and
// update-desktop-database, where installed, to refresh their caches without
// waiting for them. Throws CommandError when a folder or file cannot be
// written. Returns true when a file was written. Tests leave the caches be.
bool registerFileType(const QString& dataHome, const QString& programPath, bool refreshCaches = true);

// The installed program's desktop entry (data/ in the source tree). Where a
// system data folder holds it, the package has registered the file type and
// the menu entry, and the start writes no association of its own: the menu
// then shows one entry.
inline constexpr const char* kInstalledDesktopEntry = "ru.kletomer.Kletomer.desktop";

// $XDG_DATA_DIRS, or /usr/local/share and /usr/share when it is unset.
QStringList systemDataDirs();

// Whether one of the folders holds applications/<kInstalledDesktopEntry>.
bool installedAssociation(const QStringList& dataDirs);

} // namespace klt
