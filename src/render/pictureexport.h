#pragma once
// Writing the puzzle picture out: as a metafile (placeable WMF or EMF), a
// bitmap (BMP, PNG) or another vector format (SVG, PDF), to a file or the
// clipboard. The export dialog and kletomer-cli share these.
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "core/field.h"
#include "render/metafile.h"
#include "render/picturestyle.h"

class QMimeData;

namespace klt {

enum class ExportFormat { Wmf, Emf, Bmp, Png, Svg, Pdf };

// One drawing of a field.
struct PictureJob {
    const Field& field;
    int cellSize = 24;
    PictureStyle style;
    PictureOptions options;
};

// The screen that metafiles are recorded for: its logical resolution and its
// size in pixels; 96 dpi and 1920 × 1080 where there is no screen.
struct ReferenceScreen {
    int dpi = 96;
    QSize pixels{1920, 1080};
};
ReferenceScreen referenceScreen();

std::unique_ptr<Metafile> recordPicture(const PictureJob& job, const ReferenceScreen& screen = referenceScreen());

// The picture on a white bitmap at the screen's resolution. Bitmaps never
// take the drawing-program correction: their pixels are what everyone sees.
// A non-empty cutTo keeps only the top-left part of that size. Throws
// CommandError when the bitmap is too large to make.
QImage rasterPicture(const PictureJob& job, const ReferenceScreen& screen = referenceScreen(), QSize cutTo = QSize());

// The digit height (PictureOptions::digitPercent) a format is drawn with
// unless the user chooses another: SVG, PDF and PNG, which go to print at
// any size, get kDefaultDigitPercent; the metafiles and BMP keep the grid's
// font, as documents made with them expect.
int defaultDigitPercent(ExportFormat format);

// The format a file's extension names, in any letter case.
std::optional<ExportFormat> formatForPath(const QString& path);

// Writes the picture; an existing file is replaced only once the new one is
// complete. Throws CommandError with the reason when the file cannot be written.
// A bitmap beyond kWholeRasterPixels is written in bands (rasterbands.h),
// progress told rows done of all now and then.
using PictureProgress = std::function<void(int done, int total)>;
void writePictureFile(const PictureJob& job, ExportFormat format, const QString& path,
                      const PictureProgress& progress = {});

// Writes the bytes to a temporary file beside the target and renames it over
// the target once complete. Throws CommandError with the reason when the file
// cannot be written.
void writeWholeFile(const QString& path, const QByteArray& data);

// Replaces the clipboard's contents with the picture: a metafile (Wmf, Emf)
// as EMF and WMF, SVG and PDF as themselves, each with a bitmap besides for
// programs that read none of them; a bitmap (Bmp, Png) as an image.
void copyPictureToClipboard(const PictureJob& job, ExportFormat format);
QMimeData* metafileMimeData(const Metafile& metafile, const QImage& bitmap);

} // namespace klt
