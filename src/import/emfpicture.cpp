#include "import/emfpicture.h"

#include <QPainter>
#include <cmath>
#include <cstring>

#include "core/cp1251.h"
#include "import/gdiplayer.h"
#include "import/picturelimits.h"
#include "metafile/layout.h"

namespace klt {

namespace {

using namespace emf;
using namespace gdi;

// The first field of a record, after its type and size.
constexpr int kFirst = record::kFields;

// Bounds-checked little-endian reads inside one record.
class RecordView {
public:
    RecordView(const QByteArray& data, const EmfPicture::Record& r)
        : p_(reinterpret_cast<const uchar*>(data.constData()) + r.offset), size_(r.size) {}
    int size() const { return size_; }
    bool has(long long offset, long long bytes) const { return offset >= 0 && bytes >= 0 && offset + bytes <= size_; }
    quint32 u32(int o) const { return has(o, 4) ? le::u32(p_ + o) : 0; }
    qint32 i32(int o) const { return static_cast<qint32>(u32(o)); }
    quint16 u16(int o) const { return has(o, 2) ? le::u16(p_ + o) : 0; }
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

// Bounds, number of polygons, total points, counts, points.
std::vector<std::vector<QPointF>> polyPoints(const RecordView& r, bool small)
{
    const long long polys = r.u32(poly::kPolyCount), total = r.u32(poly::kTotal);
    const int step = small ? 4 : 8;
    std::vector<std::vector<QPointF>> out;
    if (!r.has(poly::kCounts, polys * 4) || !r.has(poly::kCounts + polys * 4, total * step)) return out;
    long long used = 0;
    int o = poly::kCounts + static_cast<int>(polys) * 4;
    for (long long i = 0; i < polys; ++i) {
        const long long n = r.u32(poly::kCounts + static_cast<int>(i) * 4);
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
    if (r.size() < text::kSize) return;
    const long long chars = r.u32(text::kChars), offString = r.u32(text::kStringOffset);
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
    quint32 options = r.u32(text::kOptions);
    if (options & ETO_NO_RECT) options &= ~(ETO_OPAQUE | ETO_CLIPPED); // the rectangle is not there
    player.text(r.point(text::kReference), s, options, r.rect(text::kRectangle));
}

void stretchDib(gdi::Player& player, const RecordView& r)
{
    namespace f = stretchdibits;
    if (r.size() < f::kSize) return;
    const long long offBmi = r.u32(f::kInfoOffset), cbBmi = r.u32(f::kInfoSize);
    const long long offBits = r.u32(f::kBitsOffset), cbBits = r.u32(f::kBitsSize);
    if (!r.has(offBmi, cbBmi) || !r.has(offBits, cbBits)) return;
    const QImage image = gdi::dibToImage(r.bytes(static_cast<int>(offBmi)), cbBmi, r.bytes(static_cast<int>(offBits)), cbBits);
    player.image(QRectF(r.i32(f::kDestX), r.i32(f::kDestY), r.i32(f::kDestWidth), r.i32(f::kDestHeight)), image,
                 QRectF(r.i32(f::kSrcX), r.i32(f::kSrcY), r.i32(f::kSrcWidth), r.i32(f::kSrcHeight)));
}

void play(gdi::Player& p, const RecordView& r, quint32 type)
{
    switch (type) {
    case EMR_SETMAPMODE: p.setMapMode(r.i32(kFirst)); break;
    case EMR_SETWINDOWEXTEX: p.setWindowExt(QSizeF(r.i32(kFirst), r.i32(kFirst + 4))); break;
    case EMR_SETWINDOWORGEX: p.setWindowOrg(r.point(kFirst)); break;
    case EMR_SETVIEWPORTEXTEX: p.setViewportExt(QSizeF(r.i32(kFirst), r.i32(kFirst + 4))); break;
    case EMR_SETVIEWPORTORGEX: p.setViewportOrg(r.point(kFirst)); break;
    case EMR_SETWORLDTRANSFORM: p.setWorldTransform(xform(r, kFirst)); break;
    case EMR_MODIFYWORLDTRANSFORM: p.modifyWorldTransform(xform(r, kFirst), static_cast<int>(r.u32(kFirst + 24))); break;
    case EMR_SETBKMODE: p.setBkMode(r.i32(kFirst)); break;
    case EMR_SETPOLYFILLMODE: p.setPolyFillMode(r.i32(kFirst)); break;
    case EMR_SETTEXTALIGN: p.setTextAlign(r.u32(kFirst)); break;
    case EMR_SETTEXTCOLOR: p.setTextColor(colorOf(r.u32(kFirst))); break;
    case EMR_SETBKCOLOR: p.setBkColor(colorOf(r.u32(kFirst))); break;
    case EMR_MOVETOEX: p.moveTo(r.point(kFirst)); break;
    case EMR_LINETO: p.lineTo(r.point(kFirst)); break;
    case EMR_SETPIXELV: p.setPixel(r.point(kFirst), colorOf(r.u32(kFirst + 8))); break;
    case EMR_POLYGON: p.polygon(points(r, poly::kCount, poly::kPoints, false)); break;
    case EMR_POLYGON16: p.polygon(points(r, poly::kCount, poly::kPoints, true)); break;
    case EMR_POLYLINE: p.polyline(points(r, poly::kCount, poly::kPoints, false)); break;
    case EMR_POLYLINE16: p.polyline(points(r, poly::kCount, poly::kPoints, true)); break;
    case EMR_POLYBEZIER: p.polyBezier(points(r, poly::kCount, poly::kPoints, false)); break;
    case EMR_POLYBEZIER16: p.polyBezier(points(r, poly::kCount, poly::kPoints, true)); break;
    case EMR_POLYLINETO: p.polylineTo(points(r, poly::kCount, poly::kPoints, false)); break;
    case EMR_POLYLINETO16: p.polylineTo(points(r, poly::kCount, poly::kPoints, true)); break;
    case EMR_POLYBEZIERTO: p.polyBezierTo(points(r, poly::kCount, poly::kPoints, false)); break;
    case EMR_POLYBEZIERTO16: p.polyBezierTo(points(r, poly::kCount, poly::kPoints, true)); break;
    case EMR_POLYPOLYLINE: p.polyPolyline(polyPoints(r, false)); break;
    case EMR_POLYPOLYLINE16: p.polyPolyline(polyPoints(r, true)); break;
    case EMR_POLYPOLYGON: p.polyPolygon(polyPoints(r, false)); break;
    case EMR_POLYPOLYGON16: p.polyPolygon(polyPoints(r, true)); break;
    // A box, then the corner sizes or the arc's radial points.
    case EMR_RECTANGLE: p.rectangle(r.rect(kFirst)); break;
    case EMR_ROUNDRECT: p.roundRect(r.rect(kFirst), r.i32(kFirst + 16), r.i32(kFirst + 20)); break;
    case EMR_ELLIPSE: p.ellipse(r.rect(kFirst)); break;
    case EMR_ARC: p.arc(ArcKind::Arc, r.rect(kFirst), r.point(kFirst + 16), r.point(kFirst + 24)); break;
    case EMR_CHORD: p.arc(ArcKind::Chord, r.rect(kFirst), r.point(kFirst + 16), r.point(kFirst + 24)); break;
    case EMR_PIE: p.arc(ArcKind::Pie, r.rect(kFirst), r.point(kFirst + 16), r.point(kFirst + 24)); break;
    case EMR_BEGINPATH: p.beginPath(); break;
    case EMR_ENDPATH: p.endPath(); break;
    case EMR_ABORTPATH: p.abortPath(); break;
    case EMR_CLOSEFIGURE: p.closeFigure(); break;
    case EMR_FILLPATH: p.fillPath(true, false); break;
    case EMR_STROKEANDFILLPATH: p.fillPath(true, true); break;
    case EMR_STROKEPATH: p.fillPath(false, true); break;
    case EMR_INTERSECTCLIPRECT: p.intersectClip(r.rect(kFirst)); break;
    case EMR_EXTSELECTCLIPRGN:
        // Region data size, mode: only the reset form (no region data, RGN_COPY) is understood.
        if (r.u32(kFirst) == 0 && r.u32(kFirst + 4) == RGN_COPY) p.resetClip();
        break;
    case EMR_SAVEDC: p.saveDC(); break;
    case EMR_RESTOREDC: p.restoreDC(r.i32(kFirst)); break;
    case EMR_SELECTOBJECT: {
        const quint32 index = r.u32(kFirst);
        if (index & ENHMETA_STOCK_OBJECT)
            p.selectStockObject(index & ~ENHMETA_STOCK_OBJECT);
        else
            p.selectObject(index);
        break;
    }
    case EMR_DELETEOBJECT: p.deleteObject(r.u32(kFirst)); break;
    case EMR_CREATEPEN:
        if (r.size() >= pen::kSize)
            p.setObject(r.u32(pen::kIndex),
                        PenObject{makePen(r.u32(pen::kStyle), r.i32(pen::kWidth), colorOf(r.u32(pen::kColor)))});
        break;
    case EMR_EXTCREATEPEN:
        if (r.size() >= extpen::kStyleEntries) { // LOGPEN_EX up to its hatch
            const quint32 style = r.u32(extpen::kStyle);
            const bool geometric = style & PS_GEOMETRIC;
            p.setObject(r.u32(extpen::kIndex), PenObject{makePen(style, geometric ? r.u32(extpen::kWidth) : 0,
                                                                 colorOf(r.u32(extpen::kColor)))});
        }
        break;
    case EMR_CREATEBRUSHINDIRECT:
        if (r.size() >= brush::kSize)
            p.setObject(r.u32(brush::kIndex), BrushObject{makeBrush(r.u32(brush::kStyle), colorOf(r.u32(brush::kColor)),
                                                                    r.u32(brush::kHatch))});
        break;
    case EMR_EXTCREATEFONTINDIRECTW:
        if (r.size() >= font::kFaceName) {
            FontObject f;
            f.height = r.i32(font::kHeight);
            f.escapement = r.i32(font::kEscapement);
            f.weight = r.i32(font::kWeight);
            f.italic = r.bytes(font::kItalic)[0] != 0;
            f.underline = r.bytes(font::kUnderline)[0] != 0;
            f.strikeOut = r.bytes(font::kStrikeOut)[0] != 0;
            for (int k = 0; k < kFaceNameChars && r.has(font::kFaceName + k * 2, 2); ++k) {
                const QChar ch(r.u16(font::kFaceName + k * 2));
                if (ch.isNull()) break;
                f.face += ch;
            }
            p.setObject(r.u32(font::kIndex), f);
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
    if (size < header::kMinSize || le::u32(p + record::kType) != EMR_HEADER ||
        le::u32(p + header::kSignatureAt) != header::kSignature)
        throw emfError(name, QStringLiteral("Это не расширенный метафайл."));

    std::vector<Record> records;
    long long offset = 0;
    bool ended = false;
    while (offset + record::kFields <= size) {
        const quint32 type = le::u32(p + offset + record::kType);
        const quint32 recSize = le::u32(p + offset + record::kSize);
        if (recSize < record::kFields || recSize % 4 != 0 || offset + recSize > size)
            throw emfError(name, QStringLiteral("Запись %1 повреждена.").arg(records.size() + 1));
        records.push_back({type, static_cast<int>(offset), static_cast<int>(recSize)});
        offset += recSize;
        if (type == EMR_EOF) {
            ended = true;
            break;
        }
    }
    if (!ended) throw emfError(name, QStringLiteral("Файл обрывается."));
    if (records.front().size < header::kMinSize) throw emfError(name, QStringLiteral("Заголовок поврежден."));

    const RecordView h(data, records.front());
    auto inclusive = [&h](int at) { return QRect(QPoint(h.i32(at), h.i32(at + 4)), QPoint(h.i32(at + 8), h.i32(at + 12))); };
    const QRect bounds = inclusive(header::kBounds), frame = inclusive(header::kFrame);
    const QSize device(h.i32(header::kDevice), h.i32(header::kDevice + 4));
    const QSize millimetres(h.i32(header::kMillimeters), h.i32(header::kMillimeters + 4));
    // nHandles sizes the object table; the record count does not.
    const int handles = h.u16(header::kHandles);

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
