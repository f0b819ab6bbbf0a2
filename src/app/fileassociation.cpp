#include "app/fileassociation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>

#include "core/workspace.h"
#include "files/ioerror.h"
#include "files/safesave.h"

namespace klt {

namespace {

const char* const kMimeType = "application/x-kletomer";

[[noreturn]] void cannotWrite(const QString& path, int err)
{
    throw CommandError{cannotWriteText(path.toStdString(), err)};
}

// Writes only a changed file, so that a second start leaves it untouched.
bool writeIfChanged(const QString& path, const QByteArray& content)
{
    {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content) return false;
    }
    errno = 0;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) cannotWrite(path, errno ? errno : EIO);
    const std::string target = QFile::encodeName(path).toStdString();
    if (const int err = saveFileSafely(target, std::string_view(content.constData(), static_cast<size_t>(content.size()))))
        cannotWrite(path, err);
    return true;
}

// An argument of the Exec key: quoted, with the characters the desktop entry
// format reserves inside quotes escaped, and every "%" doubled.
QString execArgument(const QString& arg)
{
    QString quoted;
    for (QChar c : arg) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
        if (c == u'%') quoted += u'%';
        quoted += c;
    }
    quoted = u'"' + quoted + u'"';
    // The key's value is itself a string in which a backslash is escaped.
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    return quoted;
}

void refresh(const QString& tool, const QString& folder)
{
    const QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty()) return; // nothing to refresh with; the desktop reads the files later
    QProcess::startDetached(exe, {folder});
}

} // namespace

QString userDataHome()
{
    const QString env = qEnvironmentVariable("XDG_DATA_HOME");
    if (!env.isEmpty() && QDir::isAbsolutePath(env)) return env;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

AssociationFiles associationFiles(const QString& dataHome)
{
    return {dataHome + QStringLiteral("/mime/packages/kletomer.xml"),
            dataHome + QStringLiteral("/applications/kletomer.desktop")};
}

QByteArray mimePackageText()
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"%1\">\n"
               "    <comment>Клетомер</comment>\n"
               "    <glob pattern=\"*.kvt\"/>\n"
               "  </mime-type>\n"
               "</mime-info>\n")
        .arg(QLatin1String(kMimeType))
        .toUtf8();
}

QByteArray desktopEntryText(const QString& programPath)
{
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Клетомер\n"
               "Comment=Редактор и генератор мозаик\n"
               "Exec=%1 %f\n"
               "MimeType=%2;\n"
               "Terminal=false\n"
               "Categories=Game;LogicGame;\n")
        .arg(execArgument(programPath), QLatin1String(kMimeType))
        .toUtf8();
}

QStringList systemDataDirs()
{
    QStringList dirs;
    for (const QString& d : qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d)) dirs << d;
    if (dirs.isEmpty()) dirs << QStringLiteral("/usr/local/share") << QStringLiteral("/usr/share");
    return dirs;
}

bool installedAssociation(const QStringList& dataDirs)
{
    for (const QString& d : dataDirs)
        if (QFileInfo::exists(d + QStringLiteral("/applications/") + QLatin1String(kInstalledDesktopEntry))) return true;
    return false;
}

bool registerFileType(const QString& dataHome, const QString& programPath, bool refreshCaches)
{
    const AssociationFiles files = associationFiles(dataHome);
    const bool mimeWritten = writeIfChanged(files.mimePackage, mimePackageText());
    const bool desktopWritten = writeIfChanged(files.desktopEntry, desktopEntryText(programPath));
    if (mimeWritten && refreshCaches) refresh(QStringLiteral("update-mime-database"), dataHome + QStringLiteral("/mime"));
    if (desktopWritten && refreshCaches)
        refresh(QStringLiteral("update-desktop-database"), dataHome + QStringLiteral("/applications"));
    return mimeWritten || desktopWritten;
}

} // namespace klt
