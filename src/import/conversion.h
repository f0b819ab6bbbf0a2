#pragma once
// Turning the import view into cells: the colour list's items, the region a
// conversion covers, and the pixel-by-pixel conversion into cell texts or,
// as a preview, into a black-and-white view. No widgets: the import dialog
// and kletomer-cli both run it.
#include <QImage>
#include <QRect>
#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/workspace.h"

namespace klt {

constexpr int kViewSide = 250; // the view control is 250 × 250
constexpr int kLargestFieldSide = 250; // the size controls' maximum

// The colour as Windows stores it, 0x00BBGGRR.
quint32 colorRefOf(QRgb rgb);
QRgb rgbOfColorRef(quint32 colorRef);
// "$" and the upper-case hexadecimal of the colour's 0x00BBGGRR value
// without leading zeros: pure red "$FF", black "$0", white "$FFFFFF".
QString colourItem(QRgb rgb);
// The colour an item names ("$FF" → red); empty for text that is not such
// an item. Items made by colourItem() round-trip.
std::optional<QRgb> itemColour(const QString& item);

// An inclusive rectangle of view-bitmap pixels, possibly reaching outside it.
struct ConversionRegion {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ConversionRegion&) const = default;
};

// With a selection (in the coordinates of the 250 × 250 view control, in
// which the view bitmap is centred): its left-top corner in bitmap pixels,
// to width − 2 and height − 2 further. Without one: 0..view width and
// 0..view height, one past the bitmap.
ConversionRegion conversionRegion(QSize view, const std::optional<QRect>& selection);
// The view-control point of a view-bitmap pixel and back (halves truncated).
QPoint viewControlOrigin(QSize view);

// Which pixels become filled cells: every colour but pure white, or the
// colours of the list (an item matches the colour whose text it is).
class FillRule {
public:
    static FillRule notWhite();
    static FillRule listed(const QStringList& items);
    bool filled(QRgb pixel) const;
    // A position outside the view bitmap has no colour: it counts as not
    // white and matches no item.
    bool outsideFilled() const { return notWhite_; }

private:
    bool notWhite_ = false;
    QSet<quint32> colours_;
};

struct ConversionProgress {
    // After each column; this is where the interface gets to process events.
    std::function<void()> columnDone;
    // Looked at after every pixel; a set flag ends the conversion at once.
    const bool* stop = nullptr;
};

// The preview: each pixel of the region inside the view becomes black when
// it would be a filled cell and white otherwise. False when stopped.
bool previewConversion(QImage& view, const ConversionRegion& region, const FillRule& rule,
                       const ConversionProgress& progress = {});

// The field becomes (right − left + 1) × (bottom − top + 1) cells; pixel
// (x, y) goes to cell (x − left + 1, y − top + 1) when that cell is inside
// the field: "-" when filled, empty otherwise. Column 0 and row 0 get no
// pixel; they are cleared, so that nothing of the former field remains in
// the picture. Solver marks of the field are cleared. False when stopped;
// the cells written so far and the new size then remain.
bool convertToCells(Workspace& ws, const QImage& view, const ConversionRegion& region, const FillRule& rule,
                    const ConversionProgress& progress = {});

// Accepting the import: the conversion, then the size controls follow the
// field and the puzzle is marked modified. False when stopped (size
// controls and modified flag untouched). A field wider or taller than the
// size controls allow loses its empty column 0 or row 0 first, so that the
// picture keeps its last column and row. The crop to filled cells that
// follows is the caller's.
bool acceptConversion(Workspace& ws, const QImage& view, const ConversionRegion& region, const FillRule& rule,
                      const ConversionProgress& progress = {});

} // namespace klt
