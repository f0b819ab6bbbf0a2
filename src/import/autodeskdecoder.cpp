#include "import/autodeskdecoder.h"

#include <cstring>

#include "import/picture.h"
#include "import/picturelimits.h"

namespace klt {

namespace {

constexpr int kHeaderSize = 32;
constexpr int kPaletteSize = 768;
constexpr unsigned kMagic = 0x9119;

unsigned u16(const uchar* p) { return p[0] | (p[1] << 8); }

} // namespace

QImage decodeAutodesk(const QByteArray& bytes, const QString& path)
{
    auto fail = [&](const QString& reason) { return PictureError(unreadablePictureText(path, reason)); };
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const long long size = bytes.size();
    if (size < kHeaderSize || u16(data) != kMagic)
        throw fail(QStringLiteral("Это не рисунок Autodesk Animator."));
    const int width = static_cast<int>(u16(data + 2));
    const int height = static_cast<int>(u16(data + 4));
    const int bits = data[10];
    const int compression = data[11];
    if (bits != 8 || compression != 0)
        throw fail(QStringLiteral("Этот вид рисунков Autodesk Animator не поддерживается."));
    checkPictureSize(path, width, height, true);
    const long long pixels = static_cast<long long>(width) * height;
    // The stored pixel count (offset 12) is not trusted: the size follows from the header.
    if (size < kHeaderSize + kPaletteSize + pixels) throw fail(QStringLiteral("Файл обрывается."));

    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull()) throw fail(QStringLiteral("Не хватает памяти."));
    QList<QRgb> palette(256);
    const uchar* pal = data + kHeaderSize;
    for (int i = 0; i < 256; ++i) {
        // 6-bit VGA channels widened so that 63 becomes 255.
        auto widen = [](uchar v) { v &= 63; return (v << 2) | (v >> 4); };
        palette[i] = qRgb(widen(pal[3 * i]), widen(pal[3 * i + 1]), widen(pal[3 * i + 2]));
    }
    image.setColorTable(palette);
    const uchar* src = data + kHeaderSize + kPaletteSize;
    for (int y = 0; y < height; ++y) std::memcpy(image.scanLine(y), src + static_cast<long long>(y) * width, static_cast<size_t>(width));
    return image;
}

QImage decodeAutodeskFile(const QString& path)
{
    return decodeAutodesk(readPictureFile(path), path);
}

} // namespace klt
