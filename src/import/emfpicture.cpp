#include "import/emfpicture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <optional>
#include <variant>

#include "core/cp1251.h"
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

QColor colorRef(quint32 c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

struct PenObject {
    QPen pen;
};
struct BrushObject {
    QBrush brush;
};
struct FontObject {
    int height = 0; // logical units; negative: character height, positive: cell height
    int escapement = 0;
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    QString face;
};
using GdiObject = std::variant<std::monostate, PenObject, BrushObject, FontObject>;

struct DcState {
    int mapMode = 1;
    QPointF windowOrg{0, 0}, viewportOrg{0, 0};
    QSizeF windowExt{1, 1}, viewportExt{1, 1};
    QTransform world;
    QPen pen{Qt::black, 0};
    QBrush brush{Qt::white};
    FontObject font;
    QColor textColor{Qt::black}, bkColor{Qt::white};
    int bkMode = 2; // OPAQUE
    quint32 textAlign = 0;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    QPointF current{0, 0};
};

class Player {
public:
    Player(QPainter& painter, const QByteArray& data, int handles, const QTransform& toTarget, QSizeF devicePerMm,
           const QRect& target)
        : p_(painter), data_(data), objects_(static_cast<size_t>(std::max(handles, 1))), toTarget_(toTarget),
          devicePerMm_(devicePerMm), base_(painter.worldTransform()), target_(target)
    {
    }
    // A metafile that saves more states than it restores leaves the painter balanced.
    ~Player()
    {
        for (size_t i = 0; i < saved_.size(); ++i) p_.restore();
    }

    void play(const EmfPicture::Record& rec);

private:
    QTransform pageTransform() const;
    QTransform total() const { return s_.world * pageTransform() * toTarget_; }
    void applyTransform() { p_.setWorldTransform(total()); }
    void stroke(const QPainterPath& path);
    void fillAndStroke(const QPainterPath& path);
    std::vector<QPointF> points(const RecordView& r, int countOffset, int firstOffset, bool small) const;
    void polyPoly(const RecordView& r, bool small, bool closed);
    void selectObject(quint32 index);
    void text(const RecordView& r, bool wide);
    void stretchDib(const RecordView& r);
    void arc(const RecordView& r, quint32 type);
    QFont qfont(double* pixelSize) const;

    QPainter& p_;
    const QByteArray& data_;
    std::vector<GdiObject> objects_;
    QTransform toTarget_;
    QSizeF devicePerMm_;
    QTransform base_;
    QRect target_;
    DcState s_;
    std::vector<DcState> saved_;
    // Between BEGINPATH and ENDPATH the figures go to the path, not the picture.
    bool inPath_ = false;
    std::optional<QPainterPath> path_;
};

QTransform Player::pageTransform() const
{
    double sx = 1, sy = 1;
    const double mmx = devicePerMm_.width(), mmy = devicePerMm_.height();
    switch (s_.mapMode) {
    case 2: sx = 0.1 * mmx; sy = -0.1 * mmy; break;          // MM_LOMETRIC
    case 3: sx = 0.01 * mmx; sy = -0.01 * mmy; break;        // MM_HIMETRIC
    case 4: sx = 0.254 * mmx; sy = -0.254 * mmy; break;      // MM_LOENGLISH
    case 5: sx = 0.0254 * mmx; sy = -0.0254 * mmy; break;    // MM_HIENGLISH
    case 6: sx = 25.4 / 1440 * mmx; sy = -25.4 / 1440 * mmy; break; // MM_TWIPS
    case 7:                                                  // MM_ISOTROPIC
    case 8: {                                                // MM_ANISOTROPIC
        const double wx = s_.windowExt.width(), wy = s_.windowExt.height();
        if (wx != 0 && wy != 0) {
            sx = s_.viewportExt.width() / wx;
            sy = s_.viewportExt.height() / wy;
            if (s_.mapMode == 7) {
                const double m = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
        }
        break;
    }
    default: break;
    }
    // device = (logical - windowOrg) * scale + viewportOrg
    return QTransform(sx, 0, 0, sy, s_.viewportOrg.x() - s_.windowOrg.x() * sx,
                      s_.viewportOrg.y() - s_.windowOrg.y() * sy);
}

void Player::stroke(const QPainterPath& path)
{
    if (inPath_) {
        if (!path_) path_.emplace();
        path_->addPath(path);
        return;
    }
    applyTransform();
    p_.strokePath(path, s_.pen);
}

void Player::fillAndStroke(const QPainterPath& figure)
{
    if (inPath_) {
        if (!path_) path_.emplace();
        path_->addPath(figure);
        return;
    }
    applyTransform();
    QPainterPath path = figure;
    path.setFillRule(s_.fillRule);
    p_.fillPath(path, s_.brush);
    p_.strokePath(path, s_.pen);
}

std::vector<QPointF> Player::points(const RecordView& r, int countOffset, int firstOffset, bool small) const
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

void Player::polyPoly(const RecordView& r, bool small, bool closed)
{
    // Bounds (8..23), number of polygons (24), total points (28), counts, points.
    const long long polys = r.u32(24), total = r.u32(28);
    const int step = small ? 4 : 8;
    if (!r.has(32, polys * 4) || !r.has(32 + polys * 4, total * step)) return;
    QPainterPath path;
    long long used = 0;
    int o = 32 + static_cast<int>(polys) * 4;
    for (long long i = 0; i < polys; ++i) {
        const long long n = r.u32(32 + static_cast<int>(i) * 4);
        if (n > total - used) return;
        for (long long k = 0; k < n; ++k, o += step) {
            const QPointF pt = small ? r.point16(o) : r.point(o);
            if (k == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        if (closed && n > 0) path.closeSubpath();
        used += n;
    }
    if (closed)
        fillAndStroke(path);
    else
        stroke(path);
}

void Player::selectObject(quint32 index)
{
    if (index & 0x80000000u) {
        switch (index & 0x7FFFFFFFu) {
        case 0: s_.brush = QBrush(Qt::white); break;
        case 1: s_.brush = QBrush(QColor(0xC0, 0xC0, 0xC0)); break;
        case 2: s_.brush = QBrush(QColor(0x80, 0x80, 0x80)); break;
        case 3: s_.brush = QBrush(QColor(0x40, 0x40, 0x40)); break;
        case 4: s_.brush = QBrush(Qt::black); break;
        case 5: s_.brush = QBrush(Qt::NoBrush); break;
        case 6: s_.pen = QPen(Qt::white, 0); break;
        case 7: s_.pen = QPen(Qt::black, 0); break;
        case 8: s_.pen = QPen(Qt::NoPen); break;
        case 10: case 11: case 12: case 13: case 14: case 16: case 17: s_.font = FontObject{}; break;
        default: break;
        }
        return;
    }
    if (index >= objects_.size()) return;
    const GdiObject& o = objects_[index];
    if (auto* pen = std::get_if<PenObject>(&o)) s_.pen = pen->pen;
    else if (auto* brush = std::get_if<BrushObject>(&o)) s_.brush = brush->brush;
    else if (auto* font = std::get_if<FontObject>(&o)) s_.font = *font;
}

QPen makePen(quint32 style, double width, const QColor& color)
{
    if ((style & 0x0F) == 5) return QPen(Qt::NoPen); // PS_NULL
    QPen pen(color);
    // Width 0 is one device pixel whatever the mapping.
    pen.setWidthF(width <= 0 ? 0 : width);
    pen.setCosmetic(width <= 0);
    switch (style & 0x0F) {
    case 1: pen.setStyle(Qt::DashLine); break;
    case 2: pen.setStyle(Qt::DotLine); break;
    case 3: pen.setStyle(Qt::DashDotLine); break;
    case 4: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    switch (style & 0x0F00) {
    case 0x100: pen.setCapStyle(Qt::SquareCap); break;
    case 0x200: pen.setCapStyle(Qt::FlatCap); break;
    default: pen.setCapStyle(Qt::RoundCap); break;
    }
    switch (style & 0xF000) {
    case 0x1000: pen.setJoinStyle(Qt::BevelJoin); break;
    case 0x2000: pen.setJoinStyle(Qt::MiterJoin); break;
    default: pen.setJoinStyle(Qt::RoundJoin); break;
    }
    return pen;
}

QBrush makeBrush(quint32 style, const QColor& color, quint32 hatch)
{
    switch (style) {
    case 0: return QBrush(color); // BS_SOLID
    case 1: return QBrush(Qt::NoBrush);
    case 2: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(color, hatch < 6 ? hatches[hatch] : Qt::SolidPattern);
    }
    default: return QBrush(color); // pattern brushes: their colour at least
    }
}

QFont Player::qfont(double* pixelSize) const
{
    QFont font(s_.font.face.isEmpty() ? QStringLiteral("Sans Serif") : s_.font.face);
    double size;
    if (s_.font.height == 0) {
        // The device's default font, about 12 pixels high on the reference device.
        size = 12 * std::sqrt(std::abs(toTarget_.determinant()));
    } else {
        size = std::abs(s_.font.height) * std::sqrt(std::abs(total().determinant()));
        if (s_.font.height > 0) size *= 0.8; // a cell height includes the internal leading
    }
    *pixelSize = size;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    if (s_.font.weight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(s_.font.weight, 100, 900)));
    font.setItalic(s_.font.italic);
    font.setUnderline(s_.font.underline);
    font.setStrikeOut(s_.font.strikeOut);
    // Smoothed glyph edges would bring colours into the picture that it never had.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void Player::text(const RecordView& r, bool wide)
{
    // Bounds 8, graphics mode 24, scales 28 and 32, then EMRTEXT at 36:
    // reference 36, chars 44, string offset 48, options 52, rectangle 56, dx offset 72.
    if (r.size() < 76) return;
    const long long chars = r.u32(44), offString = r.u32(48);
    const quint32 options = r.u32(52);
    QString text;
    if (wide) {
        if (!r.has(offString, chars * 2)) return;
        text.resize(static_cast<qsizetype>(chars));
        for (long long i = 0; i < chars; ++i) text[i] = QChar(r.u16(static_cast<int>(offString + i * 2)));
    } else {
        if (!r.has(offString, chars)) return;
        std::string bytes(reinterpret_cast<const char*>(r.bytes(static_cast<int>(offString))), static_cast<size_t>(chars));
        text = QString::fromStdString(cp1251ToUtf8(bytes));
    }
    const QTransform t = total();
    const QRectF box = r.rect(56);
    p_.save();
    if ((options & 0x4) && !box.isEmpty()) { // ETO_CLIPPED
        applyTransform();
        p_.setClipRect(box, Qt::IntersectClip);
    }
    if ((options & 0x2) && !(options & 0x100) && !box.isEmpty()) { // ETO_OPAQUE
        applyTransform();
        p_.fillRect(box, s_.bkColor);
    }
    const QPointF ref = (s_.textAlign & 1) ? s_.current : r.point(36);
    double pixelSize = 0;
    const QFont font = qfont(&pixelSize);
    if (pixelSize >= 1 && !text.isEmpty()) {
        p_.setWorldTransform(QTransform());
        p_.setFont(font);
        const QFontMetricsF fm(font);
        const double width = fm.horizontalAdvance(text);
        const QPointF at = t.map(ref);
        double dx = 0, dy = 0;
        switch (s_.textAlign & 6) {
        case 6: dx = -width / 2; break; // TA_CENTER
        case 2: dx = -width; break;     // TA_RIGHT
        default: break;
        }
        switch (s_.textAlign & 24) {
        case 24: break;                     // TA_BASELINE
        case 8: dy = -fm.descent(); break;  // TA_BOTTOM
        default: dy = fm.ascent(); break;   // TA_TOP
        }
        p_.translate(at);
        // Escapement: tenths of a degree, counterclockwise as seen on the page.
        if (s_.font.escapement) p_.rotate(-s_.font.escapement / 10.0);
        const QRectF textBox(dx, dy - fm.ascent(), width, fm.height());
        if (s_.bkMode == 2 && !(options & 0x2)) p_.fillRect(textBox, s_.bkColor);
        p_.setPen(s_.textColor);
        p_.drawText(QPointF(dx, dy), text);
    }
    p_.restore();
}

void Player::stretchDib(const RecordView& r)
{
    // Bounds 8, dest x 24, y 28, src x 32, y 36, cx 40, cy 44, bmi offset 48,
    // size 52, bits offset 56, size 60, usage 64, raster op 68, dest cx 72, cy 76.
    if (r.size() < 80) return;
    const long long offBmi = r.u32(48), cbBmi = r.u32(52), offBits = r.u32(56), cbBits = r.u32(60);
    if (cbBmi < 40 || !r.has(offBmi, cbBmi) || !r.has(offBits, cbBits)) return;
    // Rebuild a BMP file around the header and the bits and let the BMP reader decode it.
    QByteArray bmp;
    const quint32 fileSize = static_cast<quint32>(14 + cbBmi + cbBits);
    bmp.append("BM", 2);
    uchar head[12];
    qToLittleEndian<quint32>(fileSize, head);
    qToLittleEndian<quint32>(0, head + 4);
    qToLittleEndian<quint32>(static_cast<quint32>(14 + cbBmi), head + 8);
    bmp.append(reinterpret_cast<const char*>(head), 12);
    bmp.append(reinterpret_cast<const char*>(r.bytes(static_cast<int>(offBmi))), static_cast<qsizetype>(cbBmi));
    bmp.append(reinterpret_cast<const char*>(r.bytes(static_cast<int>(offBits))), static_cast<qsizetype>(cbBits));
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.width() > kMaxPictureSide || declared.height() > kMaxPictureSide ||
        static_cast<long long>(declared.width()) * declared.height() > kMaxRasterPixels)
        return;
    QImage image;
    if (!reader.read(&image)) return;
    const QRectF dest(r.i32(24), r.i32(28), r.i32(72), r.i32(76));
    const QRectF src(r.i32(32), r.i32(36), r.i32(40), r.i32(44));
    applyTransform();
    p_.drawImage(dest, image, src.isEmpty() ? QRectF(image.rect()) : src);
}

void Player::arc(const RecordView& r, quint32 type)
{
    // Box 8..23, start point 24, end point 32.
    const QRectF box = r.rect(8);
    if (box.isEmpty()) return;
    const QPointF c = box.center();
    auto angle = [&](QPointF pt) { return std::atan2(-(pt.y() - c.y()), pt.x() - c.x()) * 180 / M_PI; };
    const double a1 = angle(r.point(24));
    double sweep = angle(r.point(32)) - a1;
    if (sweep <= 0) sweep += 360;
    QPainterPath path;
    if (type == EMR_PIE) {
        path.moveTo(c);
        path.arcTo(box, a1, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(box, a1);
        path.arcTo(box, a1, sweep);
        if (type == EMR_CHORD) path.closeSubpath();
    }
    if (type == EMR_ARC)
        stroke(path);
    else
        fillAndStroke(path);
}

void Player::play(const EmfPicture::Record& rec)
{
    const RecordView r(data_, rec);
    switch (rec.type) {
    case EMR_SETMAPMODE: s_.mapMode = r.i32(8); break;
    case EMR_SETWINDOWEXTEX: s_.windowExt = QSizeF(r.i32(8), r.i32(12)); break;
    case EMR_SETWINDOWORGEX: s_.windowOrg = r.point(8); break;
    case EMR_SETVIEWPORTEXTEX: s_.viewportExt = QSizeF(r.i32(8), r.i32(12)); break;
    case EMR_SETVIEWPORTORGEX: s_.viewportOrg = r.point(8); break;
    case EMR_SETWORLDTRANSFORM:
        s_.world = QTransform(r.f32(8), r.f32(12), r.f32(16), r.f32(20), r.f32(24), r.f32(28));
        break;
    case EMR_MODIFYWORLDTRANSFORM: {
        const QTransform x(r.f32(8), r.f32(12), r.f32(16), r.f32(20), r.f32(24), r.f32(28));
        switch (r.u32(32)) {
        case 1: s_.world = QTransform(); break;
        case 2: s_.world = x * s_.world; break;
        case 3: s_.world = s_.world * x; break;
        case 4: s_.world = x; break;
        default: break;
        }
        break;
    }
    case EMR_SETBKMODE: s_.bkMode = r.i32(8); break;
    case EMR_SETPOLYFILLMODE: s_.fillRule = r.i32(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
    case EMR_SETTEXTALIGN: s_.textAlign = r.u32(8); break;
    case EMR_SETTEXTCOLOR: s_.textColor = colorRef(r.u32(8)); break;
    case EMR_SETBKCOLOR: s_.bkColor = colorRef(r.u32(8)); break;
    case EMR_MOVETOEX:
        s_.current = r.point(8);
        if (inPath_) {
            if (!path_) path_.emplace();
            path_->moveTo(s_.current);
        }
        break;
    case EMR_LINETO: {
        const QPointF to = r.point(8);
        if (inPath_) {
            if (!path_) path_.emplace();
            if (path_->elementCount() == 0) path_->moveTo(s_.current);
            path_->lineTo(to);
        } else {
            QPainterPath path(s_.current);
            path.lineTo(to);
            stroke(path);
        }
        s_.current = to;
        break;
    }
    case EMR_SETPIXELV: {
        applyTransform();
        p_.fillRect(QRectF(r.point(8), QSizeF(1, 1)), colorRef(r.u32(16)));
        break;
    }
    case EMR_POLYGON: case EMR_POLYGON16: case EMR_POLYLINE: case EMR_POLYLINE16:
    case EMR_POLYBEZIER: case EMR_POLYBEZIER16: {
        const bool small = rec.type >= EMR_POLYBEZIER16;
        const auto pts = points(r, 24, 28, small);
        if (pts.empty()) break;
        QPainterPath path(pts.front());
        const bool bezier = rec.type == EMR_POLYBEZIER || rec.type == EMR_POLYBEZIER16;
        if (bezier) {
            for (size_t i = 1; i + 2 < pts.size(); i += 3)
                path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
        } else {
            for (size_t i = 1; i < pts.size(); ++i) path.lineTo(pts[i]);
        }
        if (rec.type == EMR_POLYGON || rec.type == EMR_POLYGON16) {
            path.closeSubpath();
            fillAndStroke(path);
        } else {
            stroke(path);
        }
        break;
    }
    case EMR_POLYLINETO: case EMR_POLYLINETO16: case EMR_POLYBEZIERTO: case EMR_POLYBEZIERTO16: {
        const bool small = rec.type >= EMR_POLYBEZIER16;
        const auto pts = points(r, 24, 28, small);
        if (pts.empty()) break;
        QPainterPath path(s_.current);
        if (rec.type == EMR_POLYBEZIERTO || rec.type == EMR_POLYBEZIERTO16) {
            for (size_t i = 0; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
        } else {
            for (const auto& pt : pts) path.lineTo(pt);
        }
        if (inPath_) {
            if (!path_) path_.emplace();
            if (path_->elementCount() == 0) path_->moveTo(s_.current);
            path_->connectPath(path);
        } else {
            stroke(path);
        }
        s_.current = pts.back();
        break;
    }
    case EMR_POLYPOLYLINE: polyPoly(r, false, false); break;
    case EMR_POLYPOLYLINE16: polyPoly(r, true, false); break;
    case EMR_POLYPOLYGON: polyPoly(r, false, true); break;
    case EMR_POLYPOLYGON16: polyPoly(r, true, true); break;
    case EMR_RECTANGLE: {
        QPainterPath path;
        path.addRect(r.rect(8));
        fillAndStroke(path);
        break;
    }
    case EMR_ROUNDRECT: {
        QPainterPath path;
        path.addRoundedRect(r.rect(8), r.i32(24) / 2.0, r.i32(28) / 2.0);
        fillAndStroke(path);
        break;
    }
    case EMR_ELLIPSE: {
        QPainterPath path;
        path.addEllipse(r.rect(8));
        fillAndStroke(path);
        break;
    }
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: arc(r, rec.type); break;
    case EMR_BEGINPATH: inPath_ = true; path_.reset(); break;
    case EMR_ENDPATH: inPath_ = false; break;
    case EMR_ABORTPATH: inPath_ = false; path_.reset(); break;
    case EMR_CLOSEFIGURE: if (path_) path_->closeSubpath(); break;
    case EMR_FILLPATH: case EMR_STROKEANDFILLPATH: case EMR_STROKEPATH:
        if (path_ && !inPath_) {
            applyTransform();
            QPainterPath path = *path_;
            path.setFillRule(s_.fillRule);
            if (rec.type != EMR_STROKEPATH) p_.fillPath(path, s_.brush);
            if (rec.type != EMR_FILLPATH) p_.strokePath(path, s_.pen);
            path_.reset();
        }
        break;
    case EMR_INTERSECTCLIPRECT:
        applyTransform();
        p_.setClipRect(r.rect(8), Qt::IntersectClip);
        break;
    case EMR_EXTSELECTCLIPRGN:
        // Only the reset form (no region data, RGN_COPY) is understood.
        if (r.u32(8) == 0 && r.u32(12) == 5) {
            p_.setWorldTransform(base_);
            p_.setClipRect(target_, Qt::ReplaceClip);
        }
        break;
    case EMR_SAVEDC:
        saved_.push_back(s_);
        p_.save();
        break;
    case EMR_RESTOREDC: {
        const int n = r.i32(8);
        int pops = n < 0 ? -n : static_cast<int>(saved_.size()) - n + 1;
        while (pops-- > 0 && !saved_.empty()) {
            s_ = saved_.back();
            saved_.pop_back();
            p_.restore();
        }
        break;
    }
    case EMR_SELECTOBJECT: selectObject(r.u32(8)); break;
    case EMR_DELETEOBJECT: {
        const quint32 i = r.u32(8);
        if (i < objects_.size()) objects_[i] = std::monostate{};
        break;
    }
    case EMR_CREATEPEN: {
        // Handle 8, LOGPEN: style 12, width 16 (x), colour 24.
        const quint32 i = r.u32(8);
        if (i < objects_.size() && r.size() >= 28) objects_[i] = PenObject{makePen(r.u32(12), r.i32(16), colorRef(r.u32(24)))};
        break;
    }
    case EMR_EXTCREATEPEN: {
        // Handle 8, bitmap offsets 12..27, LOGPEN_EX: style 28, width 32, brush style 36, colour 40.
        const quint32 i = r.u32(8);
        if (i < objects_.size() && r.size() >= 48) {
            const quint32 style = r.u32(28);
            const bool geometric = style & 0x10000;
            objects_[i] = PenObject{makePen(style, geometric ? r.u32(32) : 0, colorRef(r.u32(40)))};
        }
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        // Handle 8, LOGBRUSH32: style 12, colour 16, hatch 20.
        const quint32 i = r.u32(8);
        if (i < objects_.size() && r.size() >= 24) objects_[i] = BrushObject{makeBrush(r.u32(12), colorRef(r.u32(16)), r.u32(20))};
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        // Handle 8, LOGFONTW at 12: height, width, escapement, orientation, weight,
        // italic 32, underline 33, strike-out 34, ..., face name 40 (32 UTF-16 units).
        const quint32 i = r.u32(8);
        if (i < objects_.size() && r.size() >= 40) {
            FontObject f;
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
            objects_[i] = f;
        }
        break;
    }
    case EMR_EXTTEXTOUTW: text(r, true); break;
    case EMR_EXTTEXTOUTA: text(r, false); break;
    case EMR_STRETCHDIBITS: stretchDib(r); break;
    default: break;
    }
}

PictureError emfError(const QString& name, const QString& reason)
{
    return PictureError(unreadablePictureText(name, reason));
}

} // namespace

void EmfPicture::loadFromFile(const QString& path)
{
    loadFromData(readPictureFile(path), path);
}

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
    const int handles = h.u16(52);

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
        Player player(painter, data_, handles_, toTarget * base, perMm, rect);
        for (const Record& r : records_) player.play(r);
    }
    painter.restore();
}

} // namespace klt
