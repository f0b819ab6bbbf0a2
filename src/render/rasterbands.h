#pragma once
// Bitmaps of any size in bounded memory: the picture is drawn a band of rows
// at a time and each band is encoded and written before the next is drawn,
// PNG from the top, BMP (whose rows run upwards) from the bottom.
#include <QSize>
#include <QString>
#include <functional>

#include "render/pictureexport.h"

namespace klt {

// Above this many pixels a PNG or BMP file is written in bands (a whole
// bitmap of this size takes 160 MB before it is encoded).
constexpr long long kWholeRasterPixels = 40LL * 1000 * 1000;

using RasterProgress = PictureProgress;

// Writes the picture to path as PNG or BMP (format), drawn in bands of rows;
// an existing file is replaced only once the new one is complete. Throws
// CommandError with the reason when the picture exceeds the format's limits
// (BMP: a file of at most 4 GiB) or the file cannot be written.
void writeRasterInBands(const PictureJob& job, ExportFormat format, const QString& path, const ReferenceScreen& screen,
                        const RasterProgress& progress = {});

} // namespace klt
