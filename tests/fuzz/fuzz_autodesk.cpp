// Autodesk Animator pictures and cels (".pic", ".cel").
#include <QByteArray>

#include "fuzzsupport.h"
#include "import/autodeskdecoder.h"
#include "import/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        klt::decodeAutodesk(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                            QStringLiteral("fuzz.cel"));
    } catch (const klt::PictureError&) {
    }
    return 0;
}
