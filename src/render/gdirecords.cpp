#include "render/gdirecords.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace klt::gdi {

void Bytes::f32(float v)
{
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(bits);
}

namespace {

// The metafile's object table: a new object takes the lowest free index, as
// a WMF player assigns them; an EMF reader accepts any index.
class ObjectTable {
public:
    explicit ObjectTable(int first) : first_(first) {}
    int take()
    {
        int i = first_;
        while (i < static_cast<int>(used_.size()) && used_[static_cast<size_t>(i)]) ++i;
        if (i >= static_cast<int>(used_.size())) used_.resize(static_cast<size_t>(i) + 1, false);
        used_[static_cast<size_t>(i)] = true;
        return i;
    }
    void release(int i) { used_[static_cast<size_t>(i)] = false; }
    int size() const { return static_cast<int>(used_.size()); }

private:
    int first_;
    std::vector<bool> used_;
};

// The object of one kind selected into the device context.
template <class T>
struct Selected {
    std::optional<T> value;
    int index = -1;
};

template <class T, class Create>
void select(Selected<T>& cur, const T& wanted, ObjectTable& table, Writer& w, Create create)
{
    if (cur.value && *cur.value == wanted) return;
    const int i = table.take();
    create(i, wanted);
    w.selectObject(i);
    // The old object is no longer selected, so it may go.
    if (cur.index >= 0) {
        w.deleteObject(cur.index);
        table.release(cur.index);
    }
    cur.value = wanted;
    cur.index = i;
}

} // namespace

int play(const std::vector<Op>& ops, Writer& w)
{
    ObjectTable table(w.firstObjectIndex());
    Selected<Pen> pen;
    Selected<Brush> brush;
    Selected<Font> font;
    auto usePen = [&](const Pen& p) { select(pen, p, table, w, [&](int i, const Pen& v) { w.createPen(i, v); }); };
    auto useBrush = [&](const Brush& b) {
        select(brush, b, table, w, [&](int i, const Brush& v) { w.createBrush(i, v); });
    };
    auto useFont = [&](const Font& f) { select(font, f, table, w, [&](int i, const Font& v) { w.createFont(i, v); }); };

    // Text is placed by its baseline, and QPainter's default background is transparent.
    w.setTextAlign(TA_BASELINE);
    w.setBackgroundMode(TRANSPARENT);
    std::optional<QRgb> textColor, background;
    bool opaque = false;
    std::uint32_t fillMode = ALTERNATE;

    for (const Op& op : ops) {
        switch (op.shape) {
        case Shape::Rectangle:
            usePen(op.pen);
            useBrush(op.brush);
            w.rectangle(op.box);
            break;
        case Shape::Polygons:
            usePen(op.pen);
            useBrush(op.brush);
            if (op.fillMode != fillMode) {
                fillMode = op.fillMode;
                w.setPolyFillMode(fillMode);
            }
            w.polygons(op.polygons);
            break;
        case Shape::Polyline:
            usePen(op.pen);
            w.polyline(op.polygons.value(0));
            break;
        case Shape::Text:
            useFont(op.font);
            if (textColor != op.textColor) {
                textColor = op.textColor;
                w.setTextColor(op.textColor);
            }
            if (op.opaque != opaque) {
                opaque = op.opaque;
                w.setBackgroundMode(opaque ? OPAQUE : TRANSPARENT);
            }
            if (opaque && background != op.background) {
                background = op.background;
                w.setBackgroundColor(op.background);
            }
            w.textOut(op);
            break;
        case Shape::Image:
            w.image(op.box, op.image);
            break;
        }
    }
    return table.size();
}

namespace {
int dibStride(const QImage& image)
{
    return (image.width() * 3 + 3) & ~3;
}
} // namespace

QByteArray dibHeader(const QImage& image)
{
    Bytes b;
    b.u32(kBitmapInfoHeaderSize);
    b.i32(image.width());
    b.i32(image.height()); // positive: rows bottom-up
    b.u16(1);
    b.u16(24);
    b.u32(BI_RGB);
    b.u32(static_cast<std::uint32_t>(dibStride(image) * image.height()));
    b.i32(0);
    b.i32(0);
    b.u32(0);
    b.u32(0);
    return b.data;
}

QByteArray dibBits(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int stride = dibStride(rgb);
    QByteArray bits(static_cast<qsizetype>(stride) * rgb.height(), '\0');
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        char* out = bits.data() + static_cast<qsizetype>(rgb.height() - 1 - y) * stride;
        for (int x = 0; x < rgb.width(); ++x) {
            out[3 * x] = static_cast<char>(qBlue(line[x]));
            out[3 * x + 1] = static_cast<char>(qGreen(line[x]));
            out[3 * x + 2] = static_cast<char>(qRed(line[x]));
        }
    }
    return bits;
}

} // namespace klt::gdi
