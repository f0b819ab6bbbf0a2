#include "import/wmfpicture.h"

#include <QPainter>
#include <QtEndian>
#include <cmath>

#include "core/cp1251.h"
#include "import/gdiplayer.h"
#include "import/picturelimits.h"

namespace klt {

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr int kPlaceableSize = 22;
constexpr int kHeaderSize = 18;

// Record functions of the WMF layout that the player acts on.
enum : quint16 {
    META_EOF = 0x0000, META_SAVEDC = 0x001E, META_SETBKMODE = 0x0102, META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106, META_RESTOREDC = 0x0127, META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E, META_DIBCREATEPATTERNBRUSH = 0x0142, META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9, META_CREATEPALETTE = 0x00F7, META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209, META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D, META_SETVIEWPORTEXT = 0x020E, META_LINETO = 0x0213, META_MOVETO = 0x0214,
    META_CREATEPENINDIRECT = 0x02FA, META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324, META_POLYLINE = 0x0325, META_INTERSECTCLIPRECT = 0x0416, META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B, META_SETPIXEL = 0x041F, META_TEXTOUT = 0x0521, META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C, META_CREATEREGION = 0x06FF, META_ARC = 0x0817, META_PIE = 0x081A,
    META_CHORD = 0x0830, META_DIBBITBLT = 0x0940, META_EXTTEXTOUT = 0x0A32, META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
};

// Bounds-checked reads of one record's parameters (16-bit words).
class Params {
public:
    Params(const QByteArray& data, const WmfPicture::Record& r)
        : p_(reinterpret_cast<const uchar*>(data.constData()) + r.offset), size_(r.size) {}
    int size() const { return size_; }
    bool has(long long byteOffset, long long bytes) const
    {
        return byteOffset >= 0 && bytes >= 0 && byteOffset + bytes <= size_;
    }
    int word(int i) const { return has(2LL * i, 2) ? qFromLittleEndian<qint16>(p_ + 2 * i) : 0; }
    quint16 uword(int i) const { return has(2LL * i, 2) ? qFromLittleEndian<quint16>(p_ + 2 * i) : 0; }
    quint32 dword(int i) const { return has(2LL * i, 4) ? qFromLittleEndian<quint32>(p_ + 2 * i) : 0; }
    const uchar* bytes(int byteOffset) const { return p_ + byteOffset; }
    // Coordinates come in reverse order: y before x, bottom-right before top-left.
    QPointF point(int i) const { return QPointF(word(i + 1), word(i)); }
    QRectF rect(int i) const
    {
        return QRectF(QPointF(word(i + 3), word(i + 2)), QPointF(word(i + 1), word(i))).normalized();
    }

private:
    const uchar* p_;
    int size_;
};

std::vector<QPointF> points(const Params& r, int countWord)
{
    const int n = r.uword(countWord);
    std::vector<QPointF> pts;
    if (!r.has(2LL * (countWord + 1), 4LL * n)) return pts;
    for (int i = 0; i < n; ++i) pts.emplace_back(r.word(countWord + 1 + 2 * i), r.word(countWord + 2 + 2 * i));
    return pts;
}

QString ansiText(const uchar* bytes, int count)
{
    return QString::fromStdString(cp1251ToUtf8(std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count))));
}

void play(gdi::Player& p, const Params& r, quint16 function)
{
    switch (function) {
    case META_SETMAPMODE: p.setMapMode(r.word(0)); break;
    case META_SETBKMODE: p.setBkMode(r.word(0)); break;
    case META_SETPOLYFILLMODE: p.setPolyFillMode(r.word(0)); break;
    case META_SETTEXTALIGN: p.setTextAlign(r.uword(0)); break;
    case META_SETTEXTCOLOR: p.setTextColor(gdi::colorRef(r.dword(0))); break;
    case META_SETBKCOLOR: p.setBkColor(gdi::colorRef(r.dword(0))); break;
    case META_SETWINDOWORG: p.setWindowOrg(r.point(0)); break;
    case META_SETWINDOWEXT: p.setWindowExt(QSizeF(r.word(1), r.word(0))); break;
    case META_SETVIEWPORTORG: p.setViewportOrg(r.point(0)); break;
    case META_SETVIEWPORTEXT: p.setViewportExt(QSizeF(r.word(1), r.word(0))); break;
    case META_MOVETO: p.moveTo(r.point(0)); break;
    case META_LINETO: p.lineTo(r.point(0)); break;
    case META_RECTANGLE: p.rectangle(r.rect(0)); break;
    case META_ELLIPSE: p.ellipse(r.rect(0)); break;
    case META_ROUNDRECT: p.roundRect(r.rect(2), r.word(1), r.word(0)); break;
    case META_POLYGON: p.polygon(points(r, 0)); break;
    case META_POLYLINE: p.polyline(points(r, 0)); break;
    case META_POLYPOLYGON: {
        const int polys = r.uword(0);
        std::vector<std::vector<QPointF>> all;
        int at = 1 + polys; // first point word
        for (int i = 0; i < polys; ++i) {
            const int n = r.uword(1 + i);
            if (!r.has(2LL * at, 4LL * n)) return;
            std::vector<QPointF> poly;
            for (int k = 0; k < n; ++k, at += 2) poly.emplace_back(r.word(at), r.word(at + 1));
            all.push_back(std::move(poly));
        }
        p.polyPolygon(all);
        break;
    }
    case META_ARC: p.arc(gdi::ArcKind::Arc, r.rect(4), r.point(2), r.point(0)); break;
    case META_PIE: p.arc(gdi::ArcKind::Pie, r.rect(4), r.point(2), r.point(0)); break;
    case META_CHORD: p.arc(gdi::ArcKind::Chord, r.rect(4), r.point(2), r.point(0)); break;
    case META_SETPIXEL: p.setPixel(r.point(2), gdi::colorRef(r.dword(0))); break;
    case META_CREATEPENINDIRECT:
        // Style, width (x, y), colour.
        p.addObject(gdi::PenObject{gdi::makePen(r.uword(0), r.word(1), gdi::colorRef(r.dword(3)))});
        break;
    case META_CREATEBRUSHINDIRECT:
        // Style, colour, hatch.
        p.addObject(gdi::BrushObject{gdi::makeBrush(r.uword(0), gdi::colorRef(r.dword(1)), r.uword(3))});
        break;
    case META_CREATEFONTINDIRECT: {
        // Height, width, escapement, orientation, weight, then bytes: italic (10),
        // underline, strike-out, charset, precisions, quality, pitch, face name (18).
        gdi::FontObject f;
        f.height = r.word(0);
        f.escapement = r.word(2);
        f.weight = r.word(4);
        if (r.has(10, 3)) {
            f.italic = r.bytes(10)[0] != 0;
            f.underline = r.bytes(11)[0] != 0;
            f.strikeOut = r.bytes(12)[0] != 0;
        }
        int n = 0;
        while (n < 32 && r.has(18 + n, 1) && r.bytes(18 + n)[0] != 0) ++n;
        if (n > 0) f.face = ansiText(r.bytes(18), n);
        p.addObject(f);
        break;
    }
    case META_CREATEPALETTE:
    case META_CREATEPATTERNBRUSH:
    case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEREGION:
        // Not drawn with, but each takes the next free slot of the object table.
        p.addObject(gdi::OtherObject{});
        break;
    case META_SELECTOBJECT: p.selectObject(r.uword(0)); break;
    case META_DELETEOBJECT: p.deleteObject(r.uword(0)); break;
    case META_SAVEDC: p.saveDC(); break;
    case META_RESTOREDC: p.restoreDC(r.word(0)); break;
    case META_INTERSECTCLIPRECT: p.intersectClip(r.rect(0)); break;
    case META_TEXTOUT: {
        // Count, the string padded to whole words, then y and x.
        const int count = r.uword(0);
        const int padded = (count + 1) / 2;
        if (!r.has(2, count) || !r.has(2LL * (1 + padded), 4)) return;
        p.text(QPointF(r.word(1 + padded + 1), r.word(1 + padded)), ansiText(r.bytes(2), count), 0, {});
        break;
    }
    case META_EXTTEXTOUT: {
        // y, x, count, options, [rectangle when opaque or clipped], string, [spacing].
        const QPointF at(r.word(1), r.word(0));
        const int count = r.uword(2);
        const quint16 options = r.uword(3);
        int stringAt = 8;
        QRectF box;
        if (options & 0x6) {
            box = QRectF(QPointF(r.word(4), r.word(5)), QPointF(r.word(6), r.word(7))).normalized();
            stringAt += 8;
        }
        if (!r.has(stringAt, count)) return;
        p.text(at, ansiText(r.bytes(stringAt), count), options, box);
        break;
    }
    case META_STRETCHDIB:
        // Raster op (2 words), usage, source h, w, y, x, destination h, w, y, x, DIB.
        if (r.size() > 22)
            p.image(QRectF(r.word(10), r.word(9), r.word(8), r.word(7)),
                    gdi::packedDibToImage(r.bytes(22), r.size() - 22),
                    QRectF(r.word(6), r.word(5), r.word(4), r.word(3)));
        break;
    case META_DIBSTRETCHBLT:
        // Raster op (2 words), source h, w, y, x, destination h, w, y, x, DIB.
        if (r.size() > 20)
            p.image(QRectF(r.word(9), r.word(8), r.word(7), r.word(6)),
                    gdi::packedDibToImage(r.bytes(20), r.size() - 20),
                    QRectF(r.word(5), r.word(4), r.word(3), r.word(2)));
        break;
    case META_DIBBITBLT:
        // Raster op (2 words), source y, x, height, width, destination y, x, DIB.
        if (r.size() > 16)
            p.image(QRectF(r.word(7), r.word(6), r.word(5), r.word(4)), gdi::packedDibToImage(r.bytes(16), r.size() - 16),
                    QRectF(r.word(3), r.word(2), r.word(5), r.word(4)));
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
    bool placeable = false;
    QRect box;
    int inch = 96;
    if (size >= kPlaceableSize && qFromLittleEndian<quint32>(p) == kPlaceableKey) {
        placeable = true;
        const int left = qFromLittleEndian<qint16>(p + 6), top = qFromLittleEndian<qint16>(p + 8);
        const int right = qFromLittleEndian<qint16>(p + 10), bottom = qFromLittleEndian<qint16>(p + 12);
        inch = qFromLittleEndian<quint16>(p + 14);
        if (inch == 0) inch = 1440;
        box = QRect(std::min(left, right), std::min(top, bottom), std::abs(right - left), std::abs(bottom - top));
        at = kPlaceableSize;
    }
    if (size < at + kHeaderSize) throw wmfError(name, QStringLiteral("Это не метафайл."));
    const quint16 type = qFromLittleEndian<quint16>(p + at);
    const quint16 headerWords = qFromLittleEndian<quint16>(p + at + 2);
    if ((type != 1 && type != 2) || headerWords != 9) throw wmfError(name, QStringLiteral("Это не метафайл."));
    const int objects = qFromLittleEndian<quint16>(p + at + 10);
    at += kHeaderSize;

    std::vector<Record> records;
    bool ended = false;
    while (at + 6 <= size) {
        const quint32 words = qFromLittleEndian<quint32>(p + at);
        const quint16 function = qFromLittleEndian<quint16>(p + at + 4);
        if (words < 3 || at + 2LL * words > size)
            throw wmfError(name, QStringLiteral("Запись %1 повреждена.").arg(records.size() + 1));
        if (function == META_EOF) {
            ended = true;
            break;
        }
        records.push_back({function, static_cast<int>(at + 6), static_cast<int>(2LL * words - 6)});
        if (!placeable && box.isEmpty() && function == META_SETWINDOWEXT && words >= 5) {
            // Without a placeable header the window is the picture, one unit a pixel.
            const int h = qFromLittleEndian<qint16>(p + at + 6), w = qFromLittleEndian<qint16>(p + at + 8);
            box = QRect(0, 0, std::abs(w), std::abs(h));
        }
        at += 2LL * words;
    }
    if (!ended) throw wmfError(name, QStringLiteral("Файл обрывается."));
    if (box.isEmpty()) throw wmfError(name, QStringLiteral("Размер рисунка не указан."));
    if (!placeable) {
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
        gdi::Player player(painter, std::max(objects_, 64), toTarget * painter.worldTransform(), QSizeF(perMm, perMm),
                           rect);
        player.setMapMode(8); // MM_ANISOTROPIC, as a metafile picture is played
        player.setWindowOrg(box_.topLeft());
        player.setWindowExt(box_.size());
        player.setViewportOrg(QPointF(0, 0));
        player.setViewportExt(box_.size());
        for (const Record& r : records_) play(player, Params(data_, r), r.function);
    }
    painter.restore();
}

} // namespace klt
