#pragma once
// Print sheets: the task pictures of several puzzles, a number of them to a
// page with their titles, then (when asked) the answers on pages of their
// own. Drawn on any paged device, so a PDF file and a printer get the same
// pages.
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <vector>

#include "core/field.h"
#include "render/picturestyle.h"

class QPagedPaintDevice;

namespace klt {

// One puzzle on the sheet.
struct SheetEntry {
    QString title; // shown above the picture, usually the file name
    Field field;
    int cellSize = 24;
    PictureStyle style;
};

struct SheetOptions {
    int perPage = 4;      // pictures a page
    bool answers = false; // the answer pages after the task pages
};

// Where one picture goes, in device units of the printable area.
struct SheetSlot {
    int entry = 0;       // index into the pictures
    bool answer = false; // on the answer pages
    int page = 0;
    QRectF slot;         // the page's share for this picture
    QRectF title;        // a line just above the picture, as wide as the slot
    QRectF picture;      // the picture scaled to fit, centred in the slot
};

// Rows and columns of a page holding perPage pictures, the longer side of
// the grid along the longer side of the page.
QSize sheetGrid(int perPage, QSizeF pageSize);

// The place of every picture: the tasks in order, then, with answers, the
// same pictures again starting on a fresh page. Each page holds perPage
// slots (fewer than 1 counts as 1); a picture keeps its aspect ratio and is
// as large as its slot allows below a title line of titleHeight.
std::vector<SheetSlot> layoutSheet(const std::vector<QSize>& pictureSizes, int perPage, bool answers,
                                   QSizeF pageSize, qreal titleHeight);

// Paints the sheet on the device's printable area, calling newPage() between
// pages; nothing for no entries. Throws CommandError when the device cannot
// be painted on or refuses a new page.
void drawSheet(QPagedPaintDevice& device, const std::vector<SheetEntry>& entries, const SheetOptions& options);

// The sheet as an A4 portrait PDF file; an existing file is replaced only once
// the new one is complete. Throws CommandError with the reason when there is
// nothing to print or the file cannot be written.
void writeSheetPdf(const std::vector<SheetEntry>& entries, const SheetOptions& options, const QString& path);

} // namespace klt
