#include "import/importpictures.h"

#include "import/autodeskdecoder.h"
#include "import/emfpicture.h"
#include "import/magickdecoder.h"
#include "import/picture.h"
#include "import/rasterpicture.h"
#include "import/rladecoder.h"
#include "import/wmfpicture.h"

namespace klt {

namespace {

void addRaster(const char* ext, const char* description, RasterPicture::Decoder decoder)
{
    PictureRegistry::instance().add(QString::fromLatin1(ext), QString::fromUtf8(description),
                                    [decoder] { return std::make_unique<RasterPicture>(decoder); });
}

RasterPicture::Decoder qt(const char* format)
{
    const QByteArray f(format);
    return [f](const QString& path) { return decodeWithQt(path, f); };
}

RasterPicture::Decoder magick(const char* format, MagickOptions options = {})
{
    return [format, options](const QString& path) { return decodeWithMagick(path, format, options); };
}

// Qt first; what its plugin cannot read (a 1-bit TIFF, an unusual BMP
// header …) ImageMagick may.
RasterPicture::Decoder qtThenMagick(const char* qtFormat, const char* magickFormat)
{
    return firstThatReads({qt(qtFormat), magick(magickFormat)});
}

} // namespace

void registerImportPictures()
{
    // Bitmaps, icons, metafiles and JPEG, as the program always had them.
    for (const char* ext : {"bmp", "dib", "rle"}) addRaster(ext, "Bitmaps", qtThenMagick("bmp", "BMP"));
    PictureRegistry::instance().add(QStringLiteral("ico"), QStringLiteral("Icons"),
                                    [] { return std::make_unique<IconPicture>(qtThenMagick("ico", "ICO")); });
    PictureRegistry::instance().add(QStringLiteral("emf"), QStringLiteral("Enhanced Metafiles"),
                                    [] { return std::make_unique<EmfPicture>(); });
    PictureRegistry::instance().add(QStringLiteral("wmf"), QStringLiteral("Metafiles"),
                                    [] { return std::make_unique<WmfPicture>(); });
    for (const char* ext : {"jpg", "jpeg"}) addRaster(ext, "JPEG Image File", qtThenMagick("jpeg", "JPEG"));

    addRaster("gif", "CompuServe images", qtThenMagick("gif", "GIF"));
    for (const char* ext : {"tif", "tiff"}) addRaster(ext, "TIFF images", qtThenMagick("tiff", "TIFF"));
    // Qt reads plain true-colour Targa files; ImageMagick the rest (colour
    // maps, run-length compression).
    for (const char* ext : {"tga", "vst", "vda", "icb", "win"})
        addRaster(ext, "Truevision images", qtThenMagick("tga", "TGA"));
    for (const char* ext : {"sgi", "rgb", "rgba", "bw"}) addRaster(ext, "SGI images", magick("SGI"));
    for (const char* ext : {"rla", "rpf"}) addRaster(ext, "SGI Wavefront images", decodeRlaFile);
    for (const char* ext : {"psd", "pdd"}) addRaster(ext, "Photoshop images", magick("PSD"));
    addRaster("ppm", "Portable pixel maps", qtThenMagick("ppm", "PPM"));
    addRaster("pgm", "Portable grey maps", qtThenMagick("pgm", "PGM"));
    addRaster("pbm", "Portable bitmap maps", qtThenMagick("pbm", "PBM"));
    for (const char* ext : {"pic", "cel"}) addRaster(ext, "Autodesk images", decodeAutodeskFile);
    addRaster("pcx", "ZSoft PCX images", magick("PCX"));
    addRaster("pcc", "ZSoft PCC images", magick("PCX"));
    addRaster("scr", "Word 5.x screen captures", magick("PCX"));
    addRaster("pcd", "Kodak Photo-CD images", magick("PCD"));
    // The palette of a Dr. Halo picture lies in a ".pal" file beside it.
    addRaster("cut", "Dr. Halo images", magick("CUT", MagickOptions{0, true}));

    addRaster("png", "Portable Network Graphics", qtThenMagick("png", "PNG"));
    addRaster("webp", "WebP images", qtThenMagick("webp", "WEBP"));
}

const QStringList& dropExtensions()
{
    static const QStringList list = {
        ".WIN", ".SGI", ".SCR", ".GIF", ".VST", ".VDA", ".TIFF", ".TIF", ".TGA", ".RPF", ".RLE", ".RLA",
        ".RGBA", ".RGB", ".PSD", ".PPM", ".PGM", ".PBM", ".PIC", ".PCX", ".PDD", ".PCD", ".PCC", ".ICB",
        ".DIB", ".CUT", ".CEL", ".BW", ".WMF", ".BMP", ".ICO", ".JPG", ".JPEG", ".PNG", ".WEBP"};
    return list;
}

bool isPictureExtension(const QString& ext)
{
    return dropExtensions().contains(ext);
}

QStringList pictureNameFilters()
{
    QStringList all, entries;
    for (const PictureFormat& f : PictureRegistry::instance().formats()) {
        const QString pattern = QStringLiteral("*.") + f.extension.toLower();
        all << pattern;
        entries << QStringLiteral("%1 (%2)").arg(f.description, pattern);
    }
    entries.prepend(QStringLiteral("All (%1)").arg(all.join(QLatin1Char(' '))));
    return entries;
}

} // namespace klt
