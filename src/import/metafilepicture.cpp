#include "import/metafilepicture.h"

#include "import/picturelimits.h"

namespace klt {

void MetafilePicture::loadFromFile(const QString& path)
{
    loadFromData(readPictureFile(path), path);
}

} // namespace klt
