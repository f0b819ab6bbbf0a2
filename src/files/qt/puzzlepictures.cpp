#include "files/qt/puzzlepictures.h"

#include "files/qt/crspicture.h"
#include "files/qt/kvtpicture.h"

namespace klt {

void registerPuzzlePictures()
{
    auto& registry = PictureRegistry::instance();
    registry.add(QStringLiteral("KVT"), QStringLiteral("Клетомер"), [] { return std::make_unique<KvtPicture>(); });
    registry.add(QStringLiteral("FCR"), QStringLiteral("Филиппинский кроссворд"),
                 [] { return std::make_unique<CrsPicture>(); });
    registry.add(QStringLiteral("CRS"), QStringLiteral("Японский кроссворд"),
                 [] { return std::make_unique<CrsPicture>(); });
}

} // namespace klt
