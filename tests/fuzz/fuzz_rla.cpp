// Wavefront RLA pictures: header, scanline table and run-length channels.
#include <QByteArray>

#include "fuzzsupport.h"
#include "import/picture.h"
#include "import/rladecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        klt::decodeRla(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                       QStringLiteral("fuzz.rla"));
    } catch (const klt::PictureError&) {
    }
    return 0;
}
