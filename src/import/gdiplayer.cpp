#include "import/gdiplayer.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPolygon>
#include <algorithm>
#include <bit>
#include <cmath>

#include "import/picturelimits.h"

namespace klt::gdi {

QColor colorOf(quint32 c)
{
    return QColor(int(colorRefRed(c)), int(colorRefGreen(c)), int(colorRefBlue(c)));
}

QPen makePen(quint32 style, double width, const QColor& color)
{
    if ((style & PS_STYLE_MASK) == PS_NULL) return QPen(Qt::NoPen);
    QPen pen(color);
    // Width 0 is one device pixel whatever the mapping.
    pen.setWidthF(width <= 0 ? 0 : width);
    pen.setCosmetic(width <= 0);
    switch (style & PS_STYLE_MASK) {
    case PS_DASH: pen.setStyle(Qt::DashLine); break;
    case PS_DOT: pen.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    switch (style & PS_ENDCAP_MASK) {
    case PS_ENDCAP_SQUARE: pen.setCapStyle(Qt::SquareCap); break;
    case PS_ENDCAP_FLAT: pen.setCapStyle(Qt::FlatCap); break;
    default: pen.setCapStyle(Qt::RoundCap); break;
    }
    switch (style & PS_JOIN_MASK) {
    case PS_JOIN_BEVEL: pen.setJoinStyle(Qt::BevelJoin); break;
    case PS_JOIN_MITER: pen.setJoinStyle(Qt::MiterJoin); break;
    default: pen.setJoinStyle(Qt::RoundJoin); break;
    }
    return pen;
}

QBrush makeBrush(quint32 style, const QColor& color, quint32 hatch)
{
    switch (style) {
    case BS_SOLID: return QBrush(color);
    case BS_NULL: return QBrush(Qt::NoBrush);
    case BS_HATCHED: {
        // In the order of HS_HORIZONTAL .. HS_DIAGCROSS.
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(color, hatch <= HS_DIAGCROSS ? hatches[hatch] : Qt::SolidPattern);
    }
    default: return QBrush(color);
    }
}

QImage dibToImage(const uchar* info, qint64 infoSize, const uchar* bits, qint64 bitsSize)
{
    if (infoSize < kBitmapCoreHeaderSize || bitsSize < 0 || infoSize + bitsSize > kMaxPictureFileBytes) return {};
    // A BMP file around the header and the bits, for Qt's BMP reader.
    QByteArray bmp;
    bmp.reserve(static_cast<qsizetype>(14 + infoSize + bitsSize));
    uchar head[14] = {'B', 'M'};
    le::put32(head + 2, static_cast<quint32>(14 + infoSize + bitsSize));
    le::put32(head + 6, 0);
    le::put32(head + 10, static_cast<quint32>(14 + infoSize));
    bmp.append(reinterpret_cast<const char*>(head), 14);
    bmp.append(reinterpret_cast<const char*>(info), static_cast<qsizetype>(infoSize));
    bmp.append(reinterpret_cast<const char*>(bits), static_cast<qsizetype>(bitsSize));
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.width() > kMaxPictureSide || declared.height() > kMaxPictureSide ||
        static_cast<long long>(declared.width()) * declared.height() > kMaxRasterPixels)
        return {};
    QImage image;
    if (!reader.read(&image)) return {};
    return image;
}

QImage packedDibToImage(const uchar* dib, qint64 size)
{
    if (size < kBitmapCoreHeaderSize) return {};
    const quint32 headerSize = le::u32(dib);
    qint64 infoSize;
    if (headerSize == kBitmapCoreHeaderSize) { // colours of 3 bytes
        const int bitCount = le::u16(dib + 10);
        infoSize = kBitmapCoreHeaderSize + (bitCount <= 8 ? (qint64(1) << bitCount) * 3 : 0);
    } else {
        if (headerSize < kBitmapInfoHeaderSize || size < kBitmapInfoHeaderSize) return {};
        const int bitCount = le::u16(dib + 14);
        const quint32 compression = le::u32(dib + 16);
        const quint32 used = le::u32(dib + 32);
        qint64 colours = used ? used : (bitCount <= 8 ? (qint64(1) << bitCount) : 0);
        if (colours > 256 && bitCount <= 8) colours = 256;
        // Three colour masks follow a plain info header with BI_BITFIELDS.
        infoSize = headerSize + colours * 4 + (compression == BI_BITFIELDS && headerSize == kBitmapInfoHeaderSize ? 12 : 0);
    }
    if (infoSize > size) return {};
    return dibToImage(dib, infoSize, dib + infoSize, size - infoSize);
}

Player::Player(QPainter& painter, int objectSlots, const QTransform& toTarget, QSizeF devicePerMm, const QRect& target)
    : p_(painter), objects_(static_cast<size_t>(std::clamp(objectSlots, 1, 65535))), toTarget_(toTarget),
      devicePerMm_(devicePerMm), base_(painter.worldTransform()), target_(target)
{
    const size_t count = objects_.size(), words = (count + 63) / 64;
    freeSlots_.assign(words, ~std::uint64_t(0));
    if (count % 64) freeSlots_.back() = (std::uint64_t(1) << (count % 64)) - 1;
    freeWords_.assign((words + 63) / 64, 0);
    for (size_t w = 0; w < words; ++w) freeWords_[w / 64] |= std::uint64_t(1) << (w % 64);
    // The caller has clipped the painter to the target.
    targetClip_ = deviceRegion(QRectF(target_), base_, base_.mapRect(target_));
    s_.clip = targetClip_;
}

Player::~Player() = default;

QTransform Player::pageTransform() const
{
    double sx = 1, sy = 1;
    const double mmx = devicePerMm_.width(), mmy = devicePerMm_.height();
    switch (s_.mapMode) {
    case MM_LOMETRIC: sx = 0.1 * mmx; sy = -0.1 * mmy; break;
    case MM_HIMETRIC: sx = 0.01 * mmx; sy = -0.01 * mmy; break;
    case MM_LOENGLISH: sx = 0.254 * mmx; sy = -0.254 * mmy; break;
    case MM_HIENGLISH: sx = 0.0254 * mmx; sy = -0.0254 * mmy; break;
    case MM_TWIPS: sx = 25.4 / 1440 * mmx; sy = -25.4 / 1440 * mmy; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC: {
        const double wx = s_.windowExt.width(), wy = s_.windowExt.height();
        if (wx != 0 && wy != 0) {
            sx = s_.viewportExt.width() / wx;
            sy = s_.viewportExt.height() / wy;
            if (s_.mapMode == MM_ISOTROPIC) {
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

void Player::modifyWorldTransform(const QTransform& t, int mode)
{
    switch (mode) {
    case MWT_IDENTITY: s_.world = QTransform(); break;
    case MWT_LEFTMULTIPLY: s_.world = t * s_.world; break;
    case MWT_RIGHTMULTIPLY: s_.world = s_.world * t; break;
    case MWT_SET: s_.world = t; break;
    default: break;
    }
}

void Player::markSlot(size_t index, bool used)
{
    const size_t word = index / 64;
    const std::uint64_t bit = std::uint64_t(1) << (index % 64), wordBit = std::uint64_t(1) << (word % 64);
    if (used)
        freeSlots_[word] &= ~bit;
    else
        freeSlots_[word] |= bit;
    if (freeSlots_[word])
        freeWords_[word / 64] |= wordBit;
    else
        freeWords_[word / 64] &= ~wordBit;
}

void Player::setObject(quint32 index, Object o)
{
    if (index >= objects_.size()) return;
    const bool used = !std::holds_alternative<std::monostate>(o);
    objects_[index] = std::move(o);
    markSlot(index, used);
}

void Player::addObject(Object o)
{
    for (size_t g = 0; g < freeWords_.size(); ++g) {
        if (!freeWords_[g]) continue;
        const size_t word = g * 64 + static_cast<size_t>(std::countr_zero(freeWords_[g]));
        const size_t index = word * 64 + static_cast<size_t>(std::countr_zero(freeSlots_[word]));
        objects_[index] = std::move(o);
        markSlot(index, true);
        return;
    }
    // A full table takes no more objects, as in GDI.
}

void Player::deleteObject(quint32 index)
{
    if (index >= objects_.size()) return;
    objects_[index] = std::monostate{};
    markSlot(index, false);
}

void Player::selectObject(quint32 index)
{
    if (index >= objects_.size()) return;
    const Object& o = objects_[index];
    if (auto* pen = std::get_if<PenObject>(&o))
        s_.pen = pen->pen;
    else if (auto* brush = std::get_if<BrushObject>(&o))
        s_.brush = brush->brush;
    else if (auto* font = std::get_if<FontObject>(&o))
        s_.font = *font;
}

void Player::selectStockObject(quint32 stock)
{
    switch (stock) {
    case WHITE_BRUSH: s_.brush = QBrush(Qt::white); break;
    case LTGRAY_BRUSH: s_.brush = QBrush(QColor(0xC0, 0xC0, 0xC0)); break;
    case GRAY_BRUSH: s_.brush = QBrush(QColor(0x80, 0x80, 0x80)); break;
    case DKGRAY_BRUSH: s_.brush = QBrush(QColor(0x40, 0x40, 0x40)); break;
    case BLACK_BRUSH: s_.brush = QBrush(Qt::black); break;
    case NULL_BRUSH: s_.brush = QBrush(Qt::NoBrush); break;
    case WHITE_PEN: s_.pen = QPen(Qt::white, 0); break;
    case BLACK_PEN: s_.pen = QPen(Qt::black, 0); break;
    case NULL_PEN: s_.pen = QPen(Qt::NoPen); break;
    case OEM_FIXED_FONT: case ANSI_FIXED_FONT: case ANSI_VAR_FONT: case SYSTEM_FONT: case DEVICE_DEFAULT_FONT:
    case SYSTEM_FIXED_FONT: case DEFAULT_GUI_FONT: s_.font = FontObject{}; break;
    default: break;
    }
}

QPainterPath& Player::path()
{
    if (!path_) path_.emplace();
    return *path_;
}

void Player::stroke(const QPainterPath& figure)
{
    if (inPath_) {
        path().addPath(figure);
        return;
    }
    applyTransform();
    p_.strokePath(figure, s_.pen);
}

void Player::fillAndStroke(const QPainterPath& figure)
{
    if (inPath_) {
        path().addPath(figure);
        return;
    }
    applyTransform();
    QPainterPath filled = figure;
    filled.setFillRule(s_.fillRule);
    p_.fillPath(filled, s_.brush);
    p_.strokePath(filled, s_.pen);
}

void Player::moveTo(QPointF p)
{
    s_.current = p;
    if (inPath_) path().moveTo(p);
}

void Player::lineTo(QPointF to)
{
    if (inPath_) {
        if (path().elementCount() == 0) path().moveTo(s_.current);
        path().lineTo(to);
    } else {
        QPainterPath line(s_.current);
        line.lineTo(to);
        stroke(line);
    }
    s_.current = to;
}

void Player::polyline(const std::vector<QPointF>& pts)
{
    if (pts.empty()) return;
    QPainterPath line(pts.front());
    for (size_t i = 1; i < pts.size(); ++i) line.lineTo(pts[i]);
    stroke(line);
}

void Player::polylineTo(const std::vector<QPointF>& pts)
{
    if (pts.empty()) return;
    QPainterPath line(s_.current);
    for (const auto& pt : pts) line.lineTo(pt);
    if (inPath_) {
        if (path().elementCount() == 0) path().moveTo(s_.current);
        path().connectPath(line);
    } else {
        stroke(line);
    }
    s_.current = pts.back();
}

void Player::polygon(const std::vector<QPointF>& pts)
{
    if (pts.empty()) return;
    QPainterPath figure(pts.front());
    for (size_t i = 1; i < pts.size(); ++i) figure.lineTo(pts[i]);
    figure.closeSubpath();
    fillAndStroke(figure);
}

void Player::polyBezier(const std::vector<QPointF>& pts)
{
    if (pts.empty()) return;
    QPainterPath curve(pts.front());
    for (size_t i = 1; i + 2 < pts.size(); i += 3) curve.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    stroke(curve);
}

void Player::polyBezierTo(const std::vector<QPointF>& pts)
{
    if (pts.size() < 3) return;
    QPainterPath curve(s_.current);
    for (size_t i = 0; i + 2 < pts.size(); i += 3) curve.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    if (inPath_) {
        if (path().elementCount() == 0) path().moveTo(s_.current);
        path().connectPath(curve);
    } else {
        stroke(curve);
    }
    s_.current = pts[(pts.size() / 3) * 3 - 1];
}

void Player::polyPolygon(const std::vector<std::vector<QPointF>>& polys)
{
    QPainterPath figure;
    for (const auto& poly : polys) {
        if (poly.empty()) continue;
        figure.moveTo(poly.front());
        for (size_t i = 1; i < poly.size(); ++i) figure.lineTo(poly[i]);
        figure.closeSubpath();
    }
    fillAndStroke(figure);
}

void Player::polyPolyline(const std::vector<std::vector<QPointF>>& lines)
{
    QPainterPath figure;
    for (const auto& line : lines) {
        if (line.empty()) continue;
        figure.moveTo(line.front());
        for (size_t i = 1; i < line.size(); ++i) figure.lineTo(line[i]);
    }
    stroke(figure);
}

template <class MakeFigure>
void Player::boxFigure(const QRectF& box, bool filled, MakeFigure makeFigure)
{
    const QTransform t = total();
    if (inPath_ || t.m12() != 0 || t.m21() != 0) {
        // Paths and rotated pages keep the logical figure.
        const QPainterPath figure = makeFigure(box, QTransform());
        filled ? fillAndStroke(figure) : stroke(figure);
        return;
    }
    const QRectF device = t.mapRect(box).normalized().adjusted(0, 0, -1, -1);
    if (device.width() < 0 || device.height() < 0) return;
    QPainterPath figure = makeFigure(device, t);
    figure.setFillRule(s_.fillRule);
    QPen pen = s_.pen;
    if (!pen.isCosmetic()) pen.setWidthF(pen.widthF() * std::sqrt(std::abs(t.determinant())));
    p_.setWorldTransform(QTransform());
    if (filled) p_.fillPath(figure, s_.brush);
    p_.strokePath(figure, pen);
}

void Player::rectangle(const QRectF& r)
{
    boxFigure(r, true, [](const QRectF& box, const QTransform&) {
        QPainterPath figure;
        figure.addRect(box);
        return figure;
    });
}

void Player::roundRect(const QRectF& r, double cornerWidth, double cornerHeight)
{
    boxFigure(r, true, [&](const QRectF& box, const QTransform& t) {
        // Corner sizes are logical; in device pixels they scale with the page.
        const double sx = t.isIdentity() ? 1 : std::abs(t.m11()), sy = t.isIdentity() ? 1 : std::abs(t.m22());
        QPainterPath figure;
        figure.addRoundedRect(box, cornerWidth * sx / 2, cornerHeight * sy / 2);
        return figure;
    });
}

void Player::ellipse(const QRectF& r)
{
    boxFigure(r, true, [](const QRectF& box, const QTransform&) {
        QPainterPath figure;
        figure.addEllipse(box);
        return figure;
    });
}

void Player::arc(ArcKind kind, const QRectF& logicalBox, QPointF start, QPointF end)
{
    if (logicalBox.isEmpty()) return;
    boxFigure(logicalBox, kind != ArcKind::Arc, [&](const QRectF& box, const QTransform& t) {
        // The radial points are logical too; their angles are taken where the box is.
        const QPointF from = t.isIdentity() ? start : t.map(start), to = t.isIdentity() ? end : t.map(end);
        const QPointF c = box.center();
        auto angle = [&](QPointF pt) { return std::atan2(-(pt.y() - c.y()), pt.x() - c.x()) * 180 / M_PI; };
        const double a1 = angle(from);
        double sweep = angle(to) - a1;
        if (sweep <= 0) sweep += 360;
        QPainterPath figure;
        if (kind == ArcKind::Pie) {
            figure.moveTo(c);
            figure.arcTo(box, a1, sweep);
            figure.closeSubpath();
        } else {
            figure.arcMoveTo(box, a1);
            figure.arcTo(box, a1, sweep);
            if (kind == ArcKind::Chord) figure.closeSubpath();
        }
        return figure;
    });
}

void Player::setPixel(QPointF p, const QColor& c)
{
    applyTransform();
    p_.fillRect(QRectF(p, QSizeF(1, 1)), c);
}

QFont Player::font(double* pixelSize) const
{
    QFont f(s_.font.face.isEmpty() ? QStringLiteral("Sans Serif") : s_.font.face);
    double size;
    if (s_.font.height == 0) {
        // The device's default font, about 12 pixels high on the reference device.
        size = 12 * std::sqrt(std::abs(toTarget_.determinant()));
    } else {
        size = std::abs(static_cast<double>(s_.font.height)) * std::sqrt(std::abs(total().determinant()));
        if (s_.font.height > 0) size *= 0.8; // a cell height includes the internal leading
    }
    *pixelSize = size;
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(std::min(size, 10000.0)))));
    if (s_.font.weight > 0) f.setWeight(static_cast<QFont::Weight>(std::clamp(s_.font.weight, 100, 900)));
    f.setItalic(s_.font.italic);
    f.setUnderline(s_.font.underline);
    f.setStrikeOut(s_.font.strikeOut);
    // Smoothed glyph edges would bring colours into the picture that it never had.
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

void Player::text(QPointF refPoint, const QString& text, quint32 options, const QRectF& box)
{
    const QTransform t = total();
    p_.save();
    if ((options & ETO_CLIPPED) && !box.isEmpty()) {
        applyTransform();
        p_.setClipRect(box, Qt::IntersectClip);
    }
    if ((options & ETO_OPAQUE) && !box.isEmpty()) {
        applyTransform();
        p_.fillRect(box, s_.bkColor);
    }
    const QPointF ref = (s_.textAlign & TA_UPDATECP) ? s_.current : refPoint;
    double pixelSize = 0;
    const QFont f = font(&pixelSize);
    if (pixelSize >= 1 && !text.isEmpty()) {
        p_.setWorldTransform(QTransform());
        p_.setFont(f);
        const QFontMetricsF fm(f);
        const double width = fm.horizontalAdvance(text);
        double dx = 0, dy = 0;
        switch (s_.textAlign & TA_HORIZONTAL_MASK) {
        case TA_CENTER: dx = -width / 2; break;
        case TA_RIGHT: dx = -width; break;
        default: break;
        }
        switch (s_.textAlign & TA_VERTICAL_MASK) {
        case TA_BASELINE: break;
        case TA_BOTTOM: dy = -fm.descent(); break;
        default: dy = fm.ascent(); break; // TA_TOP
        }
        p_.translate(t.map(ref));
        // Escapement: tenths of a degree, counterclockwise as seen on the page.
        if (s_.font.escapement) p_.rotate(-(s_.font.escapement / 10.0));
        if (s_.bkMode == OPAQUE && !(options & ETO_OPAQUE)) p_.fillRect(QRectF(dx, dy - fm.ascent(), width, fm.height()), s_.bkColor);
        p_.setPen(s_.textColor);
        p_.drawText(QPointF(dx, dy), text);
        if (s_.textAlign & TA_UPDATECP) {
            // The current position moves on by the text's width, in logical units.
            bool invertible = false;
            const QTransform back = t.inverted(&invertible);
            if (invertible) s_.current = back.map(t.map(ref) + QPointF(width, 0));
        }
    }
    p_.restore();
}

void Player::image(const QRectF& dest, const QImage& img, const QRectF& source)
{
    if (img.isNull()) return;
    applyTransform();
    p_.drawImage(dest, img, source.isEmpty() ? QRectF(img.rect()) : source);
}

void Player::beginPath()
{
    inPath_ = true;
    path_.reset();
}

void Player::abortPath()
{
    inPath_ = false;
    path_.reset();
}

void Player::closeFigure()
{
    if (path_) path_->closeSubpath();
}

void Player::fillPath(bool fill, bool strokeIt)
{
    if (!path_ || inPath_) return;
    applyTransform();
    QPainterPath figure = *path_;
    figure.setFillRule(s_.fillRule);
    if (fill) p_.fillPath(figure, s_.brush);
    if (strokeIt) p_.strokePath(figure, s_.pen);
    path_.reset();
}

namespace {

// Device coordinates far outside any picture are held there, so that
// rounding them never overflows.
int devicePixel(double v)
{
    constexpr double kFar = 1e8;
    if (!(v > -kFar)) return static_cast<int>(-kFar); // NaN too
    if (v > kFar) return static_cast<int>(kFar);
    return static_cast<int>(std::lround(v));
}

} // namespace

QRegion Player::deviceRegion(const QRectF& r, const QTransform& t, const QRect& within)
{
    if (t.type() <= QTransform::TxScale) {
        // Edges rounded to the nearest pixel boundary, as a painter clips to a rectangle.
        const QRectF m = t.mapRect(r);
        const int x1 = devicePixel(m.left()), y1 = devicePixel(m.top());
        const int x2 = devicePixel(m.right()), y2 = devicePixel(m.bottom());
        if (x2 <= x1 || y2 <= y1) return QRegion();
        return QRegion(x1, y1, x2 - x1, y2 - y1);
    }
    // A region is made scanline by scanline: a turned rectangle is cut to
    // where it can matter first, so a huge one costs no more than a small one.
    // Points are held inside even where the cut is inexact (huge coordinates).
    const QRectF bounds(within);
    const QPolygonF turned = t.map(QPolygonF(r)).intersected(QPolygonF(bounds));
    QPolygon polygon;
    for (const QPointF& pt : turned)
        polygon << QPoint(std::clamp(devicePixel(pt.x()), within.left(), within.right() + 1),
                          std::clamp(devicePixel(pt.y()), within.top(), within.bottom() + 1));
    // QRegion makes nothing of a polygon over 100000 rows tall (and loses memory).
    if (polygon.boundingRect().height() > 100000) return QRegion(polygon.boundingRect());
    return QRegion(polygon);
}

void Player::applyClip()
{
    // Replacing the painter's clip (never intersecting it) keeps the painter
    // from piling up one record per clipping call.
    p_.setWorldTransform(QTransform());
    p_.setClipRegion(s_.clip, Qt::ReplaceClip);
}

void Player::intersectClip(const QRectF& r)
{
    s_.clip &= deviceRegion(r, total(), s_.clip.boundingRect());
    applyClip();
}

void Player::resetClip()
{
    s_.clip = targetClip_;
    applyClip();
}

void Player::saveDC()
{
    if (saved_.size() >= static_cast<size_t>(kMaxSavedStates)) return;
    saved_.push_back(s_);
}

void Player::restoreDC(int n)
{
    // In 64 bits: a relative index may be as low as INT_MIN.
    const long long depth = static_cast<long long>(saved_.size());
    long long pops = n < 0 ? -static_cast<long long>(n) : depth - n + 1;
    pops = std::min(pops, depth);
    if (pops <= 0) return;
    const QRegion clip = s_.clip;
    s_ = saved_[static_cast<size_t>(depth - pops)];
    saved_.resize(static_cast<size_t>(depth - pops));
    if (s_.clip != clip) applyClip();
}

} // namespace klt::gdi
