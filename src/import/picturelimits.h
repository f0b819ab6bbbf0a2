#pragma once
// Bounds on what a picture file may ask of the program: a decoder checks the
// size a file declares before it allocates anything, so that a corrupt or
// hostile header ends in a message instead of an out-of-memory.
#include <QByteArray>
#include <QString>

namespace klt {

// Larger sides are refused. At 1 % such a picture still scales to at most
// 300 × 300 = 90000 pixels, inside the 100000-pixel limit of the view.
constexpr int kMaxPictureSide = 30000;
// Decoded raster pictures are held as 32-bit pixels: 64 M pixels is 256 MB.
constexpr long long kMaxRasterPixels = 64LL * 1024 * 1024;
// Files read whole into memory (metafiles, the formats of ImageMagick).
constexpr long long kMaxPictureFileBytes = 256LL * 1024 * 1024;

// Throws PictureError for a size the program does not take (raster: the
// pixel count is bounded too; vector pictures are drawn at the scaled size).
void checkPictureSize(const QString& path, long long width, long long height, bool raster);

// The whole file, for decoders that work on bytes; throws PictureError for a
// file that is missing, empty, unreadable or larger than maxBytes.
QByteArray readPictureFile(const QString& path, long long maxBytes = kMaxPictureFileBytes);

// "Не удалось прочитать рисунок <name>." followed by the reason on a new line.
QString unreadablePictureText(const QString& path, const QString& reason);
// The system's reason for a failed read (an errno), in words.
QString systemReason(int err);

// Installs the allocation limits of QImageReader and ImageMagick (once).
void installDecoderLimits();

} // namespace klt
