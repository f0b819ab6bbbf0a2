#pragma once
// Autodesk Animator pictures and cels (".pic", ".cel"): a 32-byte header
// (magic 0x9119, width, height, offsets, 8 bits per pixel, no compression),
// a palette of 256 VGA colours with 6-bit channels, then one byte per pixel,
// rows from the top. Neither Qt nor ImageMagick reads them.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace klt {

// Throws PictureError (naming path) for anything that is not such a file
// or that ends before its pixels do.
QImage decodeAutodesk(const QByteArray& bytes, const QString& path);
QImage decodeAutodeskFile(const QString& path);

} // namespace klt
