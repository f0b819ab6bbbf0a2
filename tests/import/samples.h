#pragma once
// Small picture files made at run time, one per format family, and a few
// broken ones. Each byte-built sample follows the published layout of its
// format.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

#include "metafile/layout.h"

namespace samples {

// 8 × 6, red, with a green 2 × 2 block at the top left and a blue one at
// the bottom right: colour, size and orientation in one picture.
QImage colourImage();
// 32 × 24, left half red, right half blue: for formats that lose detail.
QImage lossyImage();

// Files written by ImageMagick from an image ("PSD", "PCX", "SGI", "TGA", ...).
QByteArray magickFile(const QImage& image, const char* format, bool rle = false);
// Files written by Qt ("bmp", "png", "ico", ...).
QByteArray qtFile(const QImage& image, const char* format);

// A Kodak Photo-CD picture: its base image of 768 × 512 in PhotoYCC, left
// half red, right half blue (ImageMagick's own writer of the format makes
// only grey pictures).
QByteArray photoCd();
// A BMP with 8-bit run-length compression: 4 × 2, index 1 (red) in the top
// row and index 0 (white) in the bottom row.
QByteArray rle8Bmp();
// A Wavefront RLA file of 6 × 4 pixels: top row blue, the rest red.
QByteArray rlaFile();
// A Dr. Halo CUT file of 6 × 3 pixels with grey values 10, 128 and 250 per row.
QByteArray cutFile();
// An Autodesk Animator cel of w × h pixels, palette index i at pixel
// (x, y) being (x + y) % 3, palette 0 white, 1 red, 2 blue.
QByteArray animatorCel(int w, int h);
// An EMF with a 100 × 50 frame: a white background, a red rectangle
// (10, 10)-(60, 40) without outline, a black ellipse (70, 10)-(90, 30).
QByteArray emfFile();
// An EMF with the frame and reference device of emfFile() holding the given
// records: each its type and 32-bit parameters.
struct EmfRecord {
    quint32 type;
    std::vector<qint32> params;
};
// The index an EMF selects a stock object (klt::gdi::NULL_PEN, …) by.
constexpr qint32 stockObject(quint32 object)
{
    return static_cast<qint32>(klt::gdi::ENHMETA_STOCK_OBJECT | object);
}
QByteArray emfOf(const std::vector<EmfRecord>& records, int handles);
// The same picture in HIMETRIC units with y pointing up, plus a line of
// text: checks the mapping modes.
QByteArray emfMetricFile();
// A placeable WMF of 100 × 50 at 96 dpi with only a red rectangle
// (10, 10)-(60, 40) in it: the margins around it belong to the picture.
QByteArray wmfFile();
// A PNG whose header declares 60000 × 60000 pixels.
QByteArray hugePng();

bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace samples
