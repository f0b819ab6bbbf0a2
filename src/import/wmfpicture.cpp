#include "import/wmfpicture.h"

#include <QPainter>
#include <cmath>

#include "core/cp1251.h"
#include "import/gdiplayer.h"
#include "import/picturelimits.h"
#include "metafile/layout.h"

namespace klt {

namespace {

using namespace wmf;
using namespace gdi;

// Bounds-checked reads of one record's parameters, at byte offsets.
class Params {
public:
    Params(const QByteArray& data, const WmfPicture::Record& r)
        : p_(reinterpret_cast<const uchar*>(data.constData()) + r.offset), size_(r.size) {}
    int size() const { return size_; }
    bool has(long long byteOffset, long long bytes) const
    {
        return byteOffset >= 0 && bytes >= 0 && byteOffset + bytes <= size_;
    }
    int i16(int o) const { return has(o, 2) ? le::i16(p_ + o) : 0; }
    quint16 u16(int o) const { return has(o, 2) ? le::u16(p_ + o) : 0; }
    quint32 u32(int o) const { return has(o, 4) ? le::u32(p_ + o) : 0; }
    const uchar* bytes(int o) const { return p_ + o; }
    // Coordinates come in reverse order: y before x, bottom-right before top-left.
    QPointF point(int o) const { return QPointF(i16(o + 2), i16(o)); }
    QRectF rect(int o) const { return QRectF(QPointF(i16(o + 6), i16(o + 4)), QPointF(i16(o + 2), i16(o))).normalized(); }

private:
    const uchar* p_;
    int size_;
};

// A count, then that many points (x before y).
std::vector<QPointF> points(const Params& r, int countAt)
{
    const int n = r.u16(countAt);
    std::vector<QPointF> pts;
    if (!r.has(countAt + 2, 4LL * n)) return pts;
    for (int i = 0; i < n; ++i) pts.emplace_back(r.i16(countAt + 2 + 4 * i), r.i16(countAt + 4 + 4 * i));
    return pts;
}

QString ansiText(const uchar* bytes, int count)
{
    return QString::fromStdString(cp1251ToUtf8(std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count))));
}

void play(Player& p, const Params& r, quint16 function)
{
    switch (function) {
    case META_SETMAPMODE: p.setMapMode(r.i16(0)); break;
    case META_SETBKMODE: p.setBkMode(r.i16(0)); break;
    case META_SETPOLYFILLMODE: p.setPolyFillMode(r.i16(0)); break;
    case META_SETTEXTALIGN: p.setTextAlign(r.u16(0)); break;
    case META_SETTEXTCOLOR: p.setTextColor(colorOf(r.u32(0))); break;
    case META_SETBKCOLOR: p.setBkColor(colorOf(r.u32(0))); break;
    case META_SETWINDOWORG: p.setWindowOrg(r.point(0)); break;
    case META_SETWINDOWEXT: p.setWindowExt(QSizeF(r.i16(2), r.i16(0))); break;
    case META_SETVIEWPORTORG: p.setViewportOrg(r.point(0)); break;
    case META_SETVIEWPORTEXT: p.setViewportExt(QSizeF(r.i16(2), r.i16(0))); break;
    case META_MOVETO: p.moveTo(r.point(0)); break;
    case META_LINETO: p.lineTo(r.point(0)); break;
    case META_RECTANGLE: p.rectangle(r.rect(0)); break;
    case META_ELLIPSE: p.ellipse(r.rect(0)); break;
    case META_ROUNDRECT: p.roundRect(r.rect(4), r.i16(2), r.i16(0)); break; // corner height, width, box
    case META_POLYGON: p.polygon(points(r, 0)); break;
    case META_POLYLINE: p.polyline(points(r, 0)); break;
    case META_POLYPOLYGON: {
        // The number of polygons, each one's count, then all the points.
        const int polys = r.u16(0);
        std::vector<std::vector<QPointF>> all;
        int at = 2 + 2 * polys; // the first point
        for (int i = 0; i < polys; ++i) {
            const int n = r.u16(2 + 2 * i);
            if (!r.has(at, 4LL * n)) return;
            std::vector<QPointF> poly;
            for (int k = 0; k < n; ++k, at += 4) poly.emplace_back(r.i16(at), r.i16(at + 2));
            all.push_back(std::move(poly));
        }
        p.polyPolygon(all);
        break;
    }
    // The end point, the start point, then the box.
    case META_ARC: p.arc(ArcKind::Arc, r.rect(8), r.point(4), r.point(0)); break;
    case META_PIE: p.arc(ArcKind::Pie, r.rect(8), r.point(4), r.point(0)); break;
    case META_CHORD: p.arc(ArcKind::Chord, r.rect(8), r.point(4), r.point(0)); break;
    case META_SETPIXEL: p.setPixel(r.point(4), colorOf(r.u32(0))); break; // colour, then the point
    case META_CREATEPENINDIRECT:
        p.addObject(PenObject{makePen(r.u16(pen::kStyle), r.i16(pen::kWidth), colorOf(r.u32(pen::kColor)))});
        break;
    case META_CREATEBRUSHINDIRECT:
        p.addObject(BrushObject{makeBrush(r.u16(brush::kStyle), colorOf(r.u32(brush::kColor)), r.u16(brush::kHatch))});
        break;
    case META_CREATEFONTINDIRECT: {
        FontObject f;
        f.height = r.i16(font::kHeight);
        f.escapement = r.i16(font::kEscapement);
        f.weight = r.i16(font::kWeight);
        if (r.has(font::kItalic, 3)) {
            f.italic = r.bytes(font::kItalic)[0] != 0;
            f.underline = r.bytes(font::kUnderline)[0] != 0;
            f.strikeOut = r.bytes(font::kStrikeOut)[0] != 0;
        }
        int n = 0;
        while (n < kFaceNameChars && r.has(font::kFaceName + n, 1) && r.bytes(font::kFaceName + n)[0] != 0) ++n;
        if (n > 0) f.face = ansiText(r.bytes(font::kFaceName), n);
        p.addObject(f);
        break;
    }
    case META_CREATEPALETTE:
    case META_CREATEPATTERNBRUSH:
    case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEREGION:
        // Not drawn with, but each takes the next free slot of the object table.
        p.addObject(OtherObject{});
        break;
    case META_SELECTOBJECT: p.selectObject(r.u16(0)); break;
    case META_DELETEOBJECT: p.deleteObject(r.u16(0)); break;
    case META_SAVEDC: p.saveDC(); break;
    case META_RESTOREDC: p.restoreDC(r.i16(0)); break;
    case META_INTERSECTCLIPRECT: p.intersectClip(r.rect(0)); break;
    case META_TEXTOUT: {
        // Count, the string padded to whole words, then y and x.
        const int count = r.u16(0);
        const int after = 2 + 2 * ((count + 1) / 2);
        if (!r.has(2, count) || !r.has(after, 4)) return;
        p.text(r.point(after), ansiText(r.bytes(2), count), 0, {});
        break;
    }
    case META_EXTTEXTOUT: {
        namespace f = exttextout;
        const QPointF at(r.i16(f::kX), r.i16(f::kY));
        const int count = r.u16(f::kCount);
        const quint16 options = r.u16(f::kOptions);
        int stringAt = f::kString;
        QRectF box;
        if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
            // Left, top, right, bottom.
            const int b = f::kRectangle;
            box = QRectF(QPointF(r.i16(b), r.i16(b + 2)), QPointF(r.i16(b + 4), r.i16(b + 6))).normalized();
            stringAt += f::kRectangleSize;
        }
        if (!r.has(stringAt, count)) return;
        p.text(at, ansiText(r.bytes(stringAt), count), options, box);
        break;
    }
    case META_STRETCHDIB: {
        namespace f = stretchdib;
        if (r.size() > f::kDib)
            p.image(QRectF(r.i16(f::kDestX), r.i16(f::kDestY), r.i16(f::kDestWidth), r.i16(f::kDestHeight)),
                    packedDibToImage(r.bytes(f::kDib), r.size() - f::kDib),
                    QRectF(r.i16(f::kSrcX), r.i16(f::kSrcY), r.i16(f::kSrcWidth), r.i16(f::kSrcHeight)));
        break;
    }
    case META_DIBSTRETCHBLT:
        // Raster op (4 bytes), source h, w, y, x, destination h, w, y, x, DIB.
        if (r.size() > 20)
            p.image(QRectF(r.i16(18), r.i16(16), r.i16(14), r.i16(12)), packedDibToImage(r.bytes(20), r.size() - 20),
                    QRectF(r.i16(10), r.i16(8), r.i16(6), r.i16(4)));
        break;
    case META_DIBBITBLT:
        // Raster op (4 bytes), source y, x, height, width, destination y, x, DIB.
        if (r.size() > 16)
            p.image(QRectF(r.i16(14), r.i16(12), r.i16(10), r.i16(8)), packedDibToImage(r.bytes(16), r.size() - 16),
                    QRectF(r.i16(6), r.i16(4), r.i16(10), r.i16(8)));
        break;
    default: break;
    }
}

PictureError wmfError(const QString& name, const QString& reason)
{
    return PictureError(unreadablePictureText(name, reason));
}

} // namespace

void WmfPicture::loadFromData(const QByteArray& data, const QString& name)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const long long size = data.size();
    long long at = 0;
    bool isPlaceable = false;
    QRect box;
    int inch = 96;
    if (size >= placeable::kSize && le::u32(p + placeable::kKeyAt) == placeable::kKey) {
        isPlaceable = true;
        const int left = le::i16(p + placeable::kLeft), top = le::i16(p + placeable::kTop);
        const int right = le::i16(p + placeable::kRight), bottom = le::i16(p + placeable::kBottom);
        inch = le::u16(p + placeable::kInch);
        if (inch == 0) inch = 1440;
        box = QRect(std::min(left, right), std::min(top, bottom), std::abs(right - left), std::abs(bottom - top));
        at = placeable::kSize;
    }
    if (size < at + header::kSize) throw wmfError(name, QStringLiteral("Это не метафайл."));
    const quint16 type = le::u16(p + at + header::kType);
    const quint16 headerWords = le::u16(p + at + header::kHeaderWords);
    if ((type != header::kMemory && type != header::kDisk) || headerWords != header::kSize / 2)
        throw wmfError(name, QStringLiteral("Это не метафайл."));
    const int objects = le::u16(p + at + header::kObjects);
    at += header::kSize;

    std::vector<Record> records;
    bool ended = false;
    while (at + record::kSize <= size) {
        const quint32 words = le::u32(p + at + record::kWords);
        const quint16 function = le::u16(p + at + record::kFunction);
        if (words < record::kSize / 2 || at + 2LL * words > size)
            throw wmfError(name, QStringLiteral("Запись %1 повреждена.").arg(records.size() + 1));
        if (function == META_EOF) {
            ended = true;
            break;
        }
        const long long params = at + record::kSize;
        records.push_back({function, static_cast<int>(params), static_cast<int>(2LL * words - record::kSize)});
        if (!isPlaceable && box.isEmpty() && function == META_SETWINDOWEXT && words >= 5) {
            // Without a placeable header the window is the picture, one unit a pixel.
            const int h = le::i16(p + params), w = le::i16(p + params + 2);
            box = QRect(0, 0, std::abs(w), std::abs(h));
        }
        at += 2LL * words;
    }
    if (!ended) throw wmfError(name, QStringLiteral("Файл обрывается."));
    if (box.isEmpty()) throw wmfError(name, QStringLiteral("Размер рисунка не указан."));
    if (!isPlaceable) {
        // Logical units are pixels, and the window origin is set by the records.
        box.moveTo(0, 0);
    }

    const long long w = std::llround(box.width() * 96.0 / inch), h = std::llround(box.height() * 96.0 / inch);
    checkPictureSize(name, w, h, false);
    data_ = data;
    records_ = std::move(records);
    size_ = QSize(static_cast<int>(w), static_cast<int>(h));
    box_ = box;
    inch_ = inch;
    objects_ = objects;
}

void WmfPicture::draw(QPainter& painter, const QRect& rect) const
{
    if (records_.empty() || rect.isEmpty() || box_.isEmpty()) return;
    // Device space is the placeable box, one logical unit a device unit; the
    // box lands on rect. A window the records set maps onto the whole box.
    QTransform toTarget;
    toTarget.translate(rect.x(), rect.y());
    toTarget.scale(double(rect.width()) / box_.width(), double(rect.height()) / box_.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRect(rect);
    {
        const double perMm = inch_ / 25.4;
        Player player(painter, std::max(objects_, 64), toTarget * painter.worldTransform(), QSizeF(perMm, perMm),
                           rect);
        player.setMapMode(MM_ANISOTROPIC); // as a metafile picture is played
        player.setWindowOrg(box_.topLeft());
        player.setWindowExt(box_.size());
        player.setViewportOrg(QPointF(0, 0));
        player.setViewportExt(box_.size());
        for (const Record& r : records_) play(player, Params(data_, r), r.function);
    }
    painter.restore();
}

} // namespace klt
