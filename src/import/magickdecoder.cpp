#include "import/magickdecoder.h"

#include <Magick++.h>

#include <cstring>
#include <mutex>
#include <new>

#include "import/picture.h"
#include "import/picturelimits.h"

namespace klt {

namespace {

void ensureMagick()
{
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

QString magickReason(const std::exception& e)
{
    return QString::fromLocal8Bit(e.what()).trimmed();
}

} // namespace

void installMagickLimits()
{
    ensureMagick();
    Magick::ResourceLimits::width(kMaxPictureSide);
    Magick::ResourceLimits::height(kMaxPictureSide);
    Magick::ResourceLimits::area(static_cast<MagickCore::MagickSizeType>(kMaxRasterPixels));
    Magick::ResourceLimits::memory(static_cast<MagickCore::MagickSizeType>(kMaxRasterPixels) * 8);
    Magick::ResourceLimits::map(static_cast<MagickCore::MagickSizeType>(kMaxRasterPixels) * 8);
    // The pixel cache must never spill into temporary files.
    Magick::ResourceLimits::disk(0);
    Magick::ResourceLimits::listLength(64);
}

QImage decodeWithMagick(const QString& path, const char* magickFormat, const MagickOptions& options)
{
    return decodeMagickBytes(readPictureFile(path), path, magickFormat, options);
}

QImage decodeMagickBytes(const QByteArray& bytes, const QString& path, const char* magickFormat,
                         const MagickOptions& options)
{
    installDecoderLimits();
    if (bytes.isEmpty()) throw PictureError(unreadablePictureText(path, QStringLiteral("Файл пуст.")));
    // A name with ImageMagick's own syntax ("x[0]", "@list") is not passed on.
    const bool passName = options.passFileName && !path.contains(QLatin1Char('[')) &&
                          !path.contains(QLatin1Char('@')) && !path.contains(QLatin1Char(':'));
    try {
        Magick::Blob blob(bytes.constData(), static_cast<size_t>(bytes.size()));
        auto prepare = [&](Magick::Image& image) {
            image.quiet(true);
            if (passName) image.fileName(path.toLocal8Bit().toStdString());
            image.magick(magickFormat);
            // Photoshop files: the merged picture only, so that the layers need
            // not be decoded at all. (For Photo-CD the scene is the resolution.)
            if (std::strcmp(magickFormat, "PSD") == 0) {
                image.subImage(0);
                image.subRange(1);
            }
            if (options.density > 0) image.density(Magick::Geometry(static_cast<size_t>(options.density),
                                                                     static_cast<size_t>(options.density)));
        };
        {
            Magick::Image probe;
            prepare(probe);
            probe.ping(blob);
            checkPictureSize(path, static_cast<long long>(probe.columns()), static_cast<long long>(probe.rows()), true);
        }
        Magick::Image image;
        prepare(image);
        image.read(blob);
        // Photo-CD pictures come in YCC, Photoshop ones may be CMYK: export wants RGB.
        if (image.colorSpace() != Magick::sRGBColorspace && image.colorSpace() != Magick::RGBColorspace &&
            image.colorSpace() != Magick::GRAYColorspace)
            image.colorSpace(Magick::sRGBColorspace);
        const long long w = static_cast<long long>(image.columns()), h = static_cast<long long>(image.rows());
        checkPictureSize(path, w, h, true);
        QImage out(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGBA8888);
        if (out.isNull()) throw PictureError(unreadablePictureText(path, QStringLiteral("Не хватает памяти.")));
        image.write(0, 0, static_cast<size_t>(w), static_cast<size_t>(h), "RGBA", Magick::CharPixel, out.bits());
        // Without an alpha channel the exported alpha is not to be trusted: some
        // coders (colour-mapped Targa) leave it uninitialised, which made opaque
        // pixels come out blended with white.
        if (!image.matte())
            for (int y = 0; y < out.height(); ++y) {
                uchar* line = out.scanLine(y);
                for (int x = 0; x < out.width(); ++x) line[4 * x + 3] = 0xFF;
            }
        return out.convertToFormat(QImage::Format_ARGB32);
    } catch (const Magick::Exception& e) {
        throw PictureError(unreadablePictureText(path, magickReason(e)));
    } catch (const std::bad_alloc&) {
        throw PictureError(unreadablePictureText(path, QStringLiteral("Не хватает памяти.")));
    }
}

} // namespace klt
