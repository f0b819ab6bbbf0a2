// Enhanced metafiles: the header and record checks, then the player
// drawing every record, as the import renders a picture.
#include <QByteArray>

#include "fuzzpictures.h"
#include "fuzzsupport.h"
#include "import/emfpicture.h"
#include "import/picture.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    klt::fuzz::startGui();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    klt::EmfPicture picture;
    try {
        picture.loadFromData(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                             QStringLiteral("fuzz.emf"));
    } catch (const klt::PictureError&) {
        return 0;
    }
    klt::fuzz::render(picture);
    return 0;
}
