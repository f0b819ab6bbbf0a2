#include "widgets/filedialogsafety.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>

namespace klt {

namespace {

class NameOnlyIconProvider : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override
    {
        return QFileIconProvider::icon(info.isDir() ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    QString type(const QFileInfo& info) const override
    {
        if (info.isDir()) return QStringLiteral("Папка");
        const QMimeType mime = QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }
};

} // namespace

void keepFromReadingFiles(QFileDialog& dialog)
{
    static NameOnlyIconProvider provider; // dialogs do not own their provider
    dialog.setIconProvider(&provider);
}

} // namespace klt
