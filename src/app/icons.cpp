#include "app/icons.h"

#include <QFile>

#include "editing/editcursors.h"

// The icons' resources live in a static library: their registration is
// pulled in by name.
static void registerIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace klt {

namespace {

void ensureResources()
{
    static const bool registered = (registerIconResources(), true);
    (void)registered;
}

// The pencil and the bucket are the pictures of the drawing cursors, so
// the buttons show what the mouse will.
QIcon fromPicture(const QPixmap& pm32)
{
    QIcon icon;
    icon.addPixmap(pm32.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    icon.addPixmap(pm32);
    return icon;
}

} // namespace

QIcon actionIcon(const QString& name)
{
    if (name == QLatin1String("acDraw")) return fromPicture(pencilPicture());
    if (name == QLatin1String("acFill")) return fromPicture(bucketPicture());
    ensureResources();
    const QString path = QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

QIcon programIcon()
{
    ensureResources();
    return QIcon(QStringLiteral(":/icons/ru.kletomer.Kletomer.svg"));
}

} // namespace klt
