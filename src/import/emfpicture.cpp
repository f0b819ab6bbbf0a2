#include "import/emfpicture.h"

#include <QPainter>
#include <QtEndian>
#include <cmath>
#include <cstring>

#include "core/cp1251.h"
#include "import/gdiplayer.h"
#include "import/picturelimits.h"

namespace klt {

namespace {

// Record types of the EMF layout that the player acts on.
enum : quint32 {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14,
    EMR_SETPIXELV = 15, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27,
    EMR_INTERSECTCLIPRECT = 30, EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_ARC = 45,
    EMR_CHORD = 46, EMR_PIE = 47, EMR_LINETO = 54, EMR_BEGINPATH = 59, EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64,
    EMR_ABORTPATH = 68, EMR_EXTSELECTCLIPRGN = 75, EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90, EMR_POLYPOLYGON16 = 91, EMR_EXTCREATEPEN = 95,
};

constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
constexpr int kHeaderMinSize = 88;

// Bounds-checked little-endian reads inside one record.
class RecordView {
public:
    RecordView(const QByteArray& data, const EmfPicture::Record& r)
        : p_(reinterpret_cast<const uchar*>(data.constData()) + r.offset), size_(r.size) {}
    int size() const { return size_; }
    bool has(long long offset, long long bytes) const { return offset >= 0 && bytes >= 0 && offset + bytes <= size_; }
    quint32 u32(int o) const { return has(o, 4) ? qFromLittleEndian<quint32>(p_ + o) : 0; }
    qint32 i32(int o) const { return static_cast<qint32>(u32(o)); }
    quint16 u16(int o) const { return has(o, 2) ? qFromLittleEndian<quint16>(p_ + o) : 0; }
    qint16 i16(int o) const { return static_cast<qint16>(u16(o)); }
    float f32(int o) const
    {
        const quint32 v = u32(o);
        float f;
        std::memcpy(&f, &v, 4);
        return std::isfinite(f) ? f : 0.0f;
    }
    const uchar* bytes(int o) const { return p_ + o; }
    QPointF point(int o) const { return QPointF(i32(o), i32(o + 4)); }
    QPointF point16(int o) const { return QPointF(i16(o), i16(o + 2)); }
    // A RECTL, right and bottom included as GDI draws them.
    QRectF rect(int o) const
    {
        const double l = i32(o), t = i32(o + 4), r = i32(o + 8), b = i32(o + 12);
        return QRectF(QPointF(l, t), QPointF(r, b)).normalized();
    }

private:
    const uchar* p_;
    int size_;
};

std::vector<QPointF> points(const RecordView& r, int countOffset, int firstOffset, bool small)
{
    const long long count = r.u32(countOffset);
    const int step = small ? 4 : 8;
    std::vector<QPointF> pts;
    if (!r.has(firstOffset, count * step)) return pts;
    pts.reserve(static_cast<size_t>(count));
    for (long long i = 0; i < count; ++i) {
        const int o = firstOffset + static_cast<int>(i) * step;
        pts.push_back(small ? r.point16(o) : r.point(o));
    }
    return pts;
}

// Bounds (8..23), number of polygons (24), total points (28), counts, points.
std::vector<std::vector<QPointF>> polyPoints(const RecordView& r, bool small)
{
    const long long polys = r.u32(24), total = r.u32(28);
    const int step = small ? 4 : 8;
    std::vector<std::vector<QPointF>> out;
    if (!r.has(32, polys * 4) || !r.has(32 + polys * 4, total * step)) return out;
    long long used = 0;
    int o = 32 + static_cast<int>(polys) * 4;
    for (long long i = 0; i < polys; ++i) {
        const long long n = r.u32(32 + static_cast<int>(i) * 4);
        if (n > total - used) return {};
        std::vector<QPointF> poly;
        for (long long k = 0; k < n; ++k, o += step) poly.push_back(small ? r.point16(o) : r.point(o));
        out.push_back(std::move(poly));
        used += n;
    }
    return out;
}

QTransform xform(const RecordView& r, int o)
{
    return QTransform(r.f32(o), r.f32(o + 4), r.f32(o + 8), r.f32(o + 12), r.f32(o + 16), r.f32(o + 20));
}

void text(gdi::Player& player, const RecordView& r, bool wide)
{
    // Bounds 8, graphics mode 24, scales 28 and 32, then EMRTEXT at 36:
    // reference 36, chars 44, string offset 48, options 52, rectangle 56, dx offset 72.
    if (r.size() < 76) return;
    const long long chars = r.u32(44), offString = r.u32(48);
    QString s;
    if (wide) {
        if (!r.has(offString, chars * 2)) return;
        s.resize(static_cast<qsizetype>(chars));
        for (long long i = 0; i < chars; ++i) s[i] = QChar(r.u16(static_cast<int>(offString + i * 2)));
    } else {
        if (!r.has(offString, chars)) return;
        const std::string bytes(reinterpret_cast<const char*>(r.bytes(static_cast<int>(offString))),
                                static_cast<size_t>(chars));
        s = QString::fromStdString(cp1251ToUtf8(bytes));
    }
    quint32 options = r.u32(52);
    if (options & 0x100) options &= ~0x6u; // ETO_NO_RECT: the rectangle is not there
    player.text(r.point(36), s, options, r.rect(56));
}

void stretchDib(gdi::Player& player, const RecordView& r)
{
    // Bounds 8, dest x 24, y 28, src x 32, y 36, cx 40, cy 44, bmi offset 48,
    // size 52, bits offset 56, size 60, usage 64, raster op 68, dest cx 72, cy 76.
    if (r.size() < 80) return;
    const long long offBmi = r.u32(48), cbBmi = r.u32(52), offBits = r.u32(56), cbBits = r.u32(60);
    if (!r.has(offBmi, cbBmi) || !r.has(offBits, cbBits)) return;
    const QImage image = gdi::dibToImage(r.bytes(static_cast<int>(offBmi)), cbBmi, r.bytes(static_cast<int>(offBits)), cbBits);
    player.image(QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76)), image,
                 QRectF(r.i32(32), r.i32(36), r.i32(40), r.i32(44)));
}

void play(gdi::Player& p, const RecordView& r, quint32 type)
{
    switch (type) {
    case EMR_SETMAPMODE: p.setMapMode(r.i32(8)); break;
    case EMR_SETWINDOWEXTEX: p.setWindowExt(QSizeF(r.i32(8), r.i32(12))); break;
    case EMR_SETWINDOWORGEX: p.setWindowOrg(r.point(8)); break;
    case EMR_SETVIEWPORTEXTEX: p.setViewportExt(QSizeF(r.i32(8), r.i32(12))); break;
    case EMR_SETVIEWPORTORGEX: p.setViewportOrg(r.point(8)); break;
    case EMR_SETWORLDTRANSFORM: p.setWorldTransform(xform(r, 8)); break;
    case EMR_MODIFYWORLDTRANSFORM: p.modifyWorldTransform(xform(r, 8), static_cast<int>(r.u32(32))); break;
    case EMR_SETBKMODE: p.setBkMode(r.i32(8)); break;
    case EMR_SETPOLYFILLMODE: p.setPolyFillMode(r.i32(8)); break;
    case EMR_SETTEXTALIGN: p.setTextAlign(r.u32(8)); break;
    case EMR_SETTEXTCOLOR: p.setTextColor(gdi::colorRef(r.u32(8))); break;
    case EMR_SETBKCOLOR: p.setBkColor(gdi::colorRef(r.u32(8))); break;
    case EMR_MOVETOEX: p.moveTo(r.point(8)); break;
    case EMR_LINETO: p.lineTo(r.point(8)); break;
    case EMR_SETPIXELV: p.setPixel(r.point(8), gdi::colorRef(r.u32(16))); break;
    case EMR_POLYGON: p.polygon(points(r, 24, 28, false)); break;
    case EMR_POLYGON16: p.polygon(points(r, 24, 28, true)); break;
    case EMR_POLYLINE: p.polyline(points(r, 24, 28, false)); break;
    case EMR_POLYLINE16: p.polyline(points(r, 24, 28, true)); break;
    case EMR_POLYBEZIER: p.polyBezier(points(r, 24, 28, false)); break;
    case EMR_POLYBEZIER16: p.polyBezier(points(r, 24, 28, true)); break;
    case EMR_POLYLINETO: p.polylineTo(points(r, 24, 28, false)); break;
    case EMR_POLYLINETO16: p.polylineTo(points(r, 24, 28, true)); break;
    case EMR_POLYBEZIERTO: p.polyBezierTo(points(r, 24, 28, false)); break;
    case EMR_POLYBEZIERTO16: p.polyBezierTo(points(r, 24, 28, true)); break;
    case EMR_POLYPOLYLINE: p.polyPolyline(polyPoints(r, false)); break;
    case EMR_POLYPOLYLINE16: p.polyPolyline(polyPoints(r, true)); break;
    case EMR_POLYPOLYGON: p.polyPolygon(polyPoints(r, false)); break;
    case EMR_POLYPOLYGON16: p.polyPolygon(polyPoints(r, true)); break;
    case EMR_RECTANGLE: p.rectangle(r.rect(8)); break;
    case EMR_ROUNDRECT: p.roundRect(r.rect(8), r.i32(24), r.i32(28)); break;
    case EMR_ELLIPSE: p.ellipse(r.rect(8)); break;
    case EMR_ARC: p.arc(gdi::ArcKind::Arc, r.rect(8), r.point(24), r.point(32)); break;
    case EMR_CHORD: p.arc(gdi::ArcKind::Chord, r.rect(8), r.point(24), r.point(32)); break;
    case EMR_PIE: p.arc(gdi::ArcKind::Pie, r.rect(8), r.point(24), r.point(32)); break;
    case EMR_BEGINPATH: p.beginPath(); break;
    case EMR_ENDPATH: p.endPath(); break;
    case EMR_ABORTPATH: p.abortPath(); break;
    case EMR_CLOSEFIGURE: p.closeFigure(); break;
    case EMR_FILLPATH: p.fillPath(true, false); break;
    case EMR_STROKEANDFILLPATH: p.fillPath(true, true); break;
    case EMR_STROKEPATH: p.fillPath(false, true); break;
    case EMR_INTERSECTCLIPRECT: p.intersectClip(r.rect(8)); break;
    case EMR_EXTSELECTCLIPRGN:
        // Only the reset form (no region data, RGN_COPY) is understood.
        if (r.u32(8) == 0 && r.u32(12) == 5) p.resetClip();
        break;
    case EMR_SAVEDC: p.saveDC(); break;
    case EMR_RESTOREDC: p.restoreDC(r.i32(8)); break;
    case EMR_SELECTOBJECT: {
        const quint32 index = r.u32(8);
        if (index & 0x80000000u)
            p.selectStockObject(index & 0x7FFFFFFFu);
        else
            p.selectObject(index);
        break;
    }
    case EMR_DELETEOBJECT: p.deleteObject(r.u32(8)); break;
    case EMR_CREATEPEN:
        // Handle 8, LOGPEN: style 12, width 16 (x), colour 24.
        if (r.size() >= 28) p.setObject(r.u32(8), gdi::PenObject{gdi::makePen(r.u32(12), r.i32(16), gdi::colorRef(r.u32(24)))});
        break;
    case EMR_EXTCREATEPEN:
        // Handle 8, bitmap offsets 12..27, LOGPEN_EX: style 28, width 32, brush style 36, colour 40.
        if (r.size() >= 48) {
            const quint32 style = r.u32(28);
            const bool geometric = style & 0x10000;
            p.setObject(r.u32(8), gdi::PenObject{gdi::makePen(style, geometric ? r.u32(32) : 0, gdi::colorRef(r.u32(40)))});
        }
        break;
    case EMR_CREATEBRUSHINDIRECT:
        // Handle 8, LOGBRUSH32: style 12, colour 16, hatch 20.
        if (r.size() >= 24)
            p.setObject(r.u32(8), gdi::BrushObject{gdi::makeBrush(r.u32(12), gdi::colorRef(r.u32(16)), r.u32(20))});
        break;
    case EMR_EXTCREATEFONTINDIRECTW:
        // Handle 8, LOGFONTW at 12: height, width, escapement, orientation, weight,
        // italic 32, underline 33, strike-out 34, ..., face name 40 (32 UTF-16 units).
        if (r.size() >= 40) {
            gdi::FontObject f;
            f.height = r.i32(12);
            f.escapement = r.i32(20);
            f.weight = r.i32(28);
            f.italic = r.bytes(32)[0] != 0;
            f.underline = r.bytes(33)[0] != 0;
            f.strikeOut = r.bytes(34)[0] != 0;
            for (int k = 0; k < 32 && r.has(40 + k * 2, 2); ++k) {
                const QChar ch(r.u16(40 + k * 2));
                if (ch.isNull()) break;
                f.face += ch;
            }
            p.setObject(r.u32(8), f);
        }
        break;
    case EMR_EXTTEXTOUTW: text(p, r, true); break;
    case EMR_EXTTEXTOUTA: text(p, r, false); break;
    case EMR_STRETCHDIBITS: stretchDib(p, r); break;
    default: break;
    }
}

PictureError emfError(const QString& name, const QString& reason)
{
    return PictureError(unreadablePictureText(name, reason));
}

} // namespace

void EmfPicture::loadFromData(const QByteArray& data, const QString& name)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const long long size = data.size();
    if (size < kHeaderMinSize || qFromLittleEndian<quint32>(p) != EMR_HEADER ||
        qFromLittleEndian<quint32>(p + 40) != kEmfSignature)
        throw emfError(name, QStringLiteral("Это не расширенный метафайл."));

    std::vector<Record> records;
    long long offset = 0;
    bool ended = false;
    while (offset + 8 <= size) {
        const quint32 type = qFromLittleEndian<quint32>(p + offset);
        const quint32 recSize = qFromLittleEndian<quint32>(p + offset + 4);
        if (recSize < 8 || recSize % 4 != 0 || offset + recSize > size)
            throw emfError(name, QStringLiteral("Запись %1 повреждена.").arg(records.size() + 1));
        records.push_back({type, static_cast<int>(offset), static_cast<int>(recSize)});
        offset += recSize;
        if (type == EMR_EOF) {
            ended = true;
            break;
        }
    }
    if (!ended) throw emfError(name, QStringLiteral("Файл обрывается."));
    if (records.front().size < kHeaderMinSize) throw emfError(name, QStringLiteral("Заголовок поврежден."));

    const RecordView h(data, records.front());
    const QRect bounds(QPoint(h.i32(8), h.i32(12)), QPoint(h.i32(16), h.i32(20)));
    const QRect frame(QPoint(h.i32(24), h.i32(28)), QPoint(h.i32(32), h.i32(36)));
    const QSize device(h.i32(72), h.i32(76));
    const QSize millimetres(h.i32(80), h.i32(84));
    const int handles = h.u16(56); // nHandles sizes the object table; the record count (52) does not

    // Screen pixels of the frame at 96 dots per inch (2540 hundredths of a millimetre).
    long long w = std::llround((static_cast<double>(frame.right()) - frame.left()) * 96.0 / 2540.0);
    long long ht = std::llround((static_cast<double>(frame.bottom()) - frame.top()) * 96.0 / 2540.0);
    if (w <= 0 || ht <= 0) {
        w = static_cast<long long>(bounds.right()) - bounds.left() + 1;
        ht = static_cast<long long>(bounds.bottom()) - bounds.top() + 1;
    }
    checkPictureSize(name, w, ht, false);

    data_ = data;
    records_ = std::move(records);
    size_ = QSize(static_cast<int>(w), static_cast<int>(ht));
    bounds_ = bounds;
    frame_ = frame;
    device_ = device;
    millimetres_ = millimetres;
    handles_ = handles;
}

void EmfPicture::draw(QPainter& painter, const QRect& rect) const
{
    if (records_.empty() || rect.isEmpty()) return;
    // Reference device pixels per millimetre; a header without them counts as a 96-dpi screen.
    QSizeF perMm(96.0 / 25.4, 96.0 / 25.4);
    if (device_.width() > 0 && device_.height() > 0 && millimetres_.width() > 0 && millimetres_.height() > 0)
        perMm = QSizeF(double(device_.width()) / millimetres_.width(), double(device_.height()) / millimetres_.height());
    // The frame in reference device pixels is what lands on rect.
    QRectF source(frame_.left() * perMm.width() / 100.0, frame_.top() * perMm.height() / 100.0,
                  (double(frame_.right()) - frame_.left()) * perMm.width() / 100.0,
                  (double(frame_.bottom()) - frame_.top()) * perMm.height() / 100.0);
    if (source.width() <= 0 || source.height() <= 0)
        source = QRectF(bounds_.left(), bounds_.top(), double(bounds_.right()) - bounds_.left() + 1,
                        double(bounds_.bottom()) - bounds_.top() + 1);
    if (source.width() <= 0 || source.height() <= 0) return;
    QTransform toTarget;
    toTarget.translate(rect.x(), rect.y());
    toTarget.scale(rect.width() / source.width(), rect.height() / source.height());
    toTarget.translate(-source.x(), -source.y());

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRect(rect);
    const QTransform base = painter.worldTransform();
    {
        gdi::Player player(painter, handles_, toTarget * base, perMm, rect);
        for (const Record& r : records_) play(player, RecordView(data_, r), r.type);
    }
    painter.restore();
}

} // namespace klt
