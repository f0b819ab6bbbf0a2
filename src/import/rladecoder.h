#pragma once
// Wavefront RLA pictures (".rla", ".rpf"): a 740-byte big-endian header
// whose active window gives the size, a table of scanline offsets (bottom
// row first), and per scanline each channel run-length encoded. Our own
// reader: the ImageMagick of the platform refuses every picture of more
// than a couple of rows.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace klt {

// 8 bits per channel, one (grey) or three colour channels and an optional
// matte channel. Throws PictureError for anything else and for any
// offset or run that points outside the file or the row.
QImage decodeRla(const QByteArray& bytes, const QString& path);
QImage decodeRlaFile(const QString& path);

} // namespace klt
