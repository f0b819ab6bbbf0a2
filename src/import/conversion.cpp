#include "import/conversion.h"

#include "core/edits.h"
#include "core/fieldedit.h"

namespace klt {

quint32 colorRefOf(QRgb rgb)
{
    return static_cast<quint32>(qRed(rgb)) | (static_cast<quint32>(qGreen(rgb)) << 8) |
           (static_cast<quint32>(qBlue(rgb)) << 16);
}

QRgb rgbOfColorRef(quint32 c)
{
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QString colourItem(QRgb rgb)
{
    return QStringLiteral("$") + QString::number(colorRefOf(rgb), 16).toUpper();
}

std::optional<QRgb> itemColour(const QString& item)
{
    if (item.size() < 2 || item.size() > 9 || item[0] != QLatin1Char('$')) return std::nullopt;
    bool ok = false;
    const quint32 v = item.mid(1).toUInt(&ok, 16);
    if (!ok || v > 0xFFFFFF) return std::nullopt;
    return rgbOfColorRef(v);
}

QPoint viewControlOrigin(QSize view)
{
    return QPoint((kViewSide - view.width()) / 2, (kViewSide - view.height()) / 2);
}

ConversionRegion conversionRegion(QSize view, const std::optional<QRect>& selection)
{
    ConversionRegion r;
    if (selection) {
        const QPoint o = viewControlOrigin(view);
        r.left = selection->left() - o.x();
        r.top = selection->top() - o.y();
        r.right = r.left + selection->width() - 2;
        r.bottom = r.top + selection->height() - 2;
    } else {
        r.right = view.width();
        r.bottom = view.height();
    }
    return r;
}

FillRule FillRule::notWhite()
{
    FillRule f;
    f.notWhite_ = true;
    return f;
}

FillRule FillRule::listed(const QStringList& items)
{
    FillRule f;
    // An item matches a pixel when it is exactly the pixel's text, so only
    // items in that very form ("$FF", not "$0FF" or "$ff") count.
    for (const QString& item : items)
        if (auto c = itemColour(item); c && colourItem(*c) == item) f.colours_.insert(colorRefOf(*c));
    return f;
}

bool FillRule::filled(QRgb pixel) const
{
    const quint32 c = colorRefOf(pixel);
    return notWhite_ ? c != 0xFFFFFF : colours_.contains(c);
}

namespace {

template <class Visit>
bool eachPixel(const QImage& view, const ConversionRegion& region, const FillRule& rule,
               const ConversionProgress& progress, Visit visit)
{
    const QRect inside = view.rect();
    for (int x = region.left; x <= region.right; ++x) {
        for (int y = region.top; y <= region.bottom; ++y) {
            const bool in = inside.contains(x, y);
            const bool filled = in ? rule.filled(view.pixel(x, y)) : rule.outsideFilled();
            visit(x, y, in, filled);
            if (progress.stop && *progress.stop) return false;
        }
        if (progress.columnDone) progress.columnDone();
    }
    return true;
}

} // namespace

bool previewConversion(QImage& view, const ConversionRegion& region, const FillRule& rule,
                       const ConversionProgress& progress)
{
    if (view.format() != QImage::Format_RGB32) view = view.convertToFormat(QImage::Format_RGB32);
    // The rule reads the pixels before any of them is recoloured: a copy.
    const QImage source = view;
    return eachPixel(source, region, rule, progress, [&view](int x, int y, bool in, bool filled) {
        if (in) view.setPixel(x, y, filled ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    });
}

bool convertToCells(Workspace& ws, const QImage& view, const ConversionRegion& region, const FillRule& rule,
                    const ConversionProgress& progress)
{
    Field& f = ws.doc.field();
    f.setSize(region.right - region.left + 1, region.bottom - region.top + 1);
    clampCursor(ws);
    // The picture replaces the former puzzle whole: column 0 and row 0, which
    // the conversion does not write, and the hidden cells that a later
    // widening would bring back.
    f.clear();
    const bool done = eachPixel(view, region, rule, progress, [&](int x, int y, bool, bool filled) {
        const int c = x - region.left + 1, r = y - region.top + 1;
        if (f.inside(c, r)) {
            f.setText(c, r, filled ? "-" : "");
            f.setMark(c, r, MarkNone);
        }
    });
    ws.doc.notifyFieldChanged();
    return done;
}

bool acceptConversion(Workspace& ws, const QImage& view, const ConversionRegion& region, const FillRule& rule,
                      const ConversionProgress& progress)
{
    // Undo brings the former puzzle back, with its picture.
    ws.doc.showAnswers();
    ws.doc.takeSnapshot();
    if (!convertToCells(ws, view, region, rule, progress)) return false;
    // A whole view 250 pixels wide makes 251 columns; the size controls hold
    // the field to 250 and would cut off the picture's last column. The empty
    // column 0 goes instead (the crop that follows removes it anyway); rows alike.
    Field& f = ws.doc.field();
    if (f.colCount() > kLargestFieldSide) deleteColumnAt(ws, 0);
    if (f.rowCount() > kLargestFieldSide) deleteRowAt(ws, 0);
    ws.doc.notifySizeChanged();
    ws.doc.setModified(true);
    return true;
}

} // namespace klt
