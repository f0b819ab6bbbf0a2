#include "import/picture.h"

#include <QFile>
#include <QFileInfo>

#include "files/paths.h"

namespace klt {

PictureRegistry& PictureRegistry::instance()
{
    static PictureRegistry registry;
    return registry;
}

void PictureRegistry::add(const QString& extension, const QString& description,
                          std::function<std::unique_ptr<Picture>()> create)
{
    const QString ext = extension.toUpper();
    for (auto& f : formats_)
        if (f.extension == ext) {
            f.description = description;
            f.create = std::move(create);
            return;
        }
    formats_.push_back({ext, description, std::move(create)});
}

const PictureFormat* PictureRegistry::find(const QString& extension) const
{
    const QString ext = extension.toUpper();
    for (const auto& f : formats_)
        if (f.extension == ext) return &f;
    return nullptr;
}

std::unique_ptr<Picture> PictureRegistry::create(const QString& path) const
{
    const PictureFormat* f = find(QFileInfo(path).suffix());
    return f ? f->create() : nullptr;
}

std::unique_ptr<Picture> PictureRegistry::load(const QString& path) const
{
    // A device, a FIFO or a file under /proc could keep the read waiting for good.
    if (!isOrdinaryFile(QFile::encodeName(path).toStdString()))
        throw PictureError(QStringLiteral("Файл %1 не является обычным файлом.").arg(path));
    auto picture = create(path);
    if (!picture)
        throw PictureError(QStringLiteral("Неизвестный формат рисунка: %1").arg(QFileInfo(path).fileName()));
    picture->loadFromFile(path);
    return picture;
}

} // namespace klt
