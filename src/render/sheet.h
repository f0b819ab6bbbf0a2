#pragma once
// Print sheets: the task pictures of several puzzles at one cell size, as
// many to a page as fit, in reading order under their titles; a puzzle larger
// than a page split over pages with labels; then (when asked) the answers in
// the same layout. Drawn on any paged device, so a PDF file and a printer get
// the same pages.
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
    QString title; // shown above the picture: the puzzle's name or a title of its own
    Field field;
    int cellSize = 24; // the picture's own cell size, which its frame and lines are drawn for
    PictureStyle style;
};

enum class SheetPaper { A4, Letter };

struct SheetOptions {
    int perPage = 0;      // at most this many pictures a page; 0: as many as fit
    bool answers = false; // the answer pages after the task pages
    qreal cellMm = 5;     // every puzzle's cells this wide...
    qreal minCellMm = 4;  // ...but never narrower than this
    int digitPercent = kDefaultDigitPercent; // clue digits, a share of the cell
    SheetPaper paper = SheetPaper::A4;
    bool landscape = false;
    qreal marginMm = 10;
};

// What the layout needs of a puzzle: its field's extent and the cell size its
// picture is drawn at.
struct SheetItem {
    int cols = 0, rows = 0;
    int cellSize = 24;
};

// One picture on a page: a puzzle, or the part of it that fits a page.
// Lengths in millimetres from the top left of the printable area.
struct SheetPiece {
    int entry = 0;       // index into the puzzles
    bool answer = false; // on the answer pages
    int page = 0;
    int firstCol = 0, firstRow = 0, cols = 0, rows = 0; // the part of the field shown
    int part = 1, parts = 1; // its place among the parts of a split puzzle
    QRectF title;   // the title line, its baseline shared by its row of pictures
    QRectF picture; // the picture, cells exactly the sheet's cell size
};

struct SheetLayout {
    std::vector<SheetPiece> pieces;
    int pages = 0;
    qreal cellMm = 0; // the cell size used
    QRectF footer;    // where the page number goes, on every page
};

// The place of every picture: the tasks in order, then, with answers, the
// same pieces again from a fresh page. A puzzle wider or taller than the
// printable area (less a title line and the footer) is split into parts that
// overlap by one column or row, each on a page of its own. Throws
// CommandError when not even two cells fit across a page.
SheetLayout layoutSheet(const std::vector<SheetItem>& items, const SheetOptions& options, QSizeF areaMm, qreal titleMm,
                        qreal footerMm);

// "Лист 2 из 6: столбцы 61–120, строки 1–80" for a part of a split puzzle,
// empty for a whole one. Columns and rows counted from 1.
QString pieceLabel(const SheetPiece& piece);

// Paints the sheet on the device's printable area, calling newPage() between
// pages; nothing for no entries. Throws CommandError when the device cannot
// be painted on or refuses a new page.
void drawSheet(QPagedPaintDevice& device, const std::vector<SheetEntry>& entries, const SheetOptions& options);

// The sheet as a PDF file on the options' paper; an existing file is
// replaced only once the new one is complete. Throws CommandError with the
// reason when there is nothing to print or the file cannot be written.
void writeSheetPdf(const std::vector<SheetEntry>& entries, const SheetOptions& options, const QString& path);

} // namespace klt
