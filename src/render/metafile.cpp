#include "render/metafile.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <climits>
#include <cmath>
#include <numbers>

#include "render/gdirecords.h"

namespace klt {

using namespace gdi;

namespace {

class MetafileEngine : public QPaintEngine {
public:
    explicit MetafileEngine(std::vector<Op>& ops) : QPaintEngine(QPaintEngine::AllFeatures), ops_(ops) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& s) override
    {
        const DirtyFlags f = s.state();
        if (f & DirtyPen) pen_ = s.pen();
        if (f & DirtyBrush) brush_ = s.brush();
        if (f & DirtyTransform) transform_ = s.transform();
        if (f & DirtyBackgroundMode) backgroundMode_ = s.backgroundMode();
        if (f & DirtyBackground) background_ = s.backgroundBrush();
    }

    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            if (transform_.type() > QTransform::TxScale) {
                const QPolygonF corners(rects[i]);
                drawPolygon(corners.constData(), static_cast<int>(corners.size()), OddEvenMode);
                continue;
            }
            const QRectF m = transform_.mapRect(rects[i]).normalized();
            Op op = shapeOp(Shape::Rectangle);
            // QPainter outlines (and fills) up to x + w inclusive of the outline's
            // pixel; a GDI rectangle stops one short of its right edge.
            op.box = QRect(QPoint(qRound(m.left()), qRound(m.top())), QPoint(qRound(m.right()) + 1, qRound(m.bottom()) + 1));
            ops_.push_back(std::move(op));
        }
    }

    void drawLines(const QLineF* lines, int count) override
    {
        if (pen_.style() == Qt::NoPen) return;
        for (int i = 0; i < count; ++i) polyline(QPolygonF({lines[i].p1(), lines[i].p2()}));
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        const QPolygonF poly(QList<QPointF>(points, points + count));
        if (mode == PolylineMode) {
            if (pen_.style() != Qt::NoPen) polyline(poly);
            return;
        }
        Op op = shapeOp(Shape::Polygons);
        op.fillMode = mode == WindingMode ? WINDING : ALTERNATE;
        op.polygons.append(device(poly));
        ops_.push_back(std::move(op));
    }

    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override
    {
        QList<QPointF> f;
        f.reserve(count);
        for (int i = 0; i < count; ++i) f.append(points[i]);
        drawPolygon(f.constData(), count, mode);
    }

    void drawPath(const QPainterPath& path) override
    {
        const QList<QPolygonF> subpaths = path.toSubpathPolygons(transform_);
        if (subpaths.isEmpty()) return;
        // Fill without outline, then stroke each subpath as it stands, so that
        // open subpaths are not closed by the outline.
        if (brush_.style() != Qt::NoBrush) {
            Op op = shapeOp(Shape::Polygons);
            op.pen = Pen{};
            op.fillMode = path.fillRule() == Qt::WindingFill ? WINDING : ALTERNATE;
            for (const QPolygonF& p : subpaths) {
                QPolygon d = p.toPolygon();
                if (d.size() > 1 && d.front() == d.back()) d.removeLast();
                if (d.size() > 2) op.polygons.append(d);
            }
            if (!op.polygons.isEmpty()) ops_.push_back(std::move(op));
        }
        if (pen_.style() != Qt::NoPen)
            for (const QPolygonF& p : subpaths) addPolyline(p.toPolygon());
    }

    void drawTextItem(const QPointF& at, const QTextItem& item) override
    {
        const QString text = item.text();
        if (text.isEmpty()) return;
        const QFont font = item.font();
        const double sx = std::hypot(transform_.m11(), transform_.m12());
        const double sy = std::hypot(transform_.m21(), transform_.m22());
        const double px = font.pixelSize() > 0 ? font.pixelSize()
                                               : font.pointSizeF() * paintDevice()->logicalDpiY() / 72.0;
        const double angle = std::atan2(transform_.m12(), transform_.m11()) * 1800.0 / std::numbers::pi;

        Op op;
        op.shape = Shape::Text;
        op.font.face = font.family();
        op.font.height = -qRound(px * sy);
        op.font.weight = font.weight();
        op.font.italic = font.italic();
        op.font.underline = font.underline();
        op.font.strikeOut = font.strikeOut();
        // Qt turns clockwise on the screen, GDI counter-clockwise.
        op.font.escapement = (3600 - qRound(angle) % 3600) % 3600;
        op.textColor = pen_.color().rgb();
        op.opaque = backgroundMode_ == Qt::OpaqueMode;
        op.background = background_.color().rgb();
        const QPoint ref = transform_.map(at).toPoint();
        op.reference = ref;
        op.text = text;

        // Each character's advance as laid out here, rounded so that the sum
        // is the rounded width of the whole text.
        const QFontMetricsF fm(font, paintDevice());
        int placed = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int end = qRound(fm.horizontalAdvance(text.left(i + 1)) * sx);
            op.advances.append(end - placed);
            placed = end;
        }
        op.bounds = QRect(QPoint(ref.x(), ref.y() - qRound(item.ascent() * sy)),
                          QPoint(ref.x() + std::max(placed, 1) - 1, ref.y() + qRound(item.descent() * sy)));
        ops_.push_back(std::move(op));
    }

    void drawPixmap(const QRectF& target, const QPixmap& pixmap, const QRectF& source) override
    {
        drawImage(target, pixmap.toImage(), source, Qt::AutoColor);
    }

    void drawImage(const QRectF& target, const QImage& image, const QRectF& source, Qt::ImageConversionFlags) override
    {
        const QImage part = image.copy(source.toAlignedRect());
        if (part.isNull()) return;
        // Metafile bitmaps are opaque: lay transparency onto white.
        QImage flat(part.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        {
            QPainter p(&flat);
            p.drawImage(0, 0, part);
        }
        Op op;
        op.shape = Shape::Image;
        op.box = transform_.mapRect(target).toAlignedRect();
        op.image = flat;
        ops_.push_back(std::move(op));
    }

private:
    Pen gdiPen() const
    {
        if (pen_.style() == Qt::NoPen) return Pen{};
        Pen p;
        switch (pen_.style()) {
        case Qt::DashLine:
        case Qt::CustomDashLine: p.style = PS_DASH; break;
        case Qt::DotLine: p.style = PS_DOT; break;
        case Qt::DashDotLine: p.style = PS_DASHDOT; break;
        case Qt::DashDotDotLine: p.style = PS_DASHDOTDOT; break;
        default: p.style = PS_SOLID; break;
        }
        const double w = pen_.widthF();
        const double scale = std::sqrt(std::abs(transform_.determinant()));
        p.width = pen_.isCosmetic() || w == 0 ? qRound(w) : qRound(w * scale);
        if (p.width > 1) {
            switch (pen_.capStyle()) {
            case Qt::SquareCap: p.style |= PS_ENDCAP_SQUARE; break;
            case Qt::FlatCap: p.style |= PS_ENDCAP_FLAT; break;
            default: p.style |= PS_ENDCAP_ROUND; break;
            }
            switch (pen_.joinStyle()) {
            case Qt::BevelJoin: p.style |= PS_JOIN_BEVEL; break;
            case Qt::MiterJoin:
            case Qt::SvgMiterJoin: p.style |= PS_JOIN_MITER; break;
            default: p.style |= PS_JOIN_ROUND; break;
            }
        }
        p.color = pen_.color().rgb();
        return p;
    }

    Brush gdiBrush() const
    {
        if (brush_.style() == Qt::NoBrush) return Brush{};
        QColor c = brush_.color();
        if (const QGradient* g = brush_.gradient(); g && !g->stops().isEmpty()) c = g->stops().front().second;
        return Brush{false, c.rgb()};
    }

    Op shapeOp(Shape shape) const
    {
        Op op;
        op.shape = shape;
        op.pen = gdiPen();
        op.brush = gdiBrush();
        return op;
    }

    QPolygon device(const QPolygonF& p) const { return transform_.map(p).toPolygon(); }

    void polyline(const QPolygonF& p) { addPolyline(device(p)); }

    void addPolyline(const QPolygon& p)
    {
        if (p.size() < 2) return;
        Op op = shapeOp(Shape::Polyline);
        op.polygons.append(p);
        ops_.push_back(std::move(op));
    }

    std::vector<Op>& ops_;
    QPen pen_;
    QBrush brush_;
    QTransform transform_;
    Qt::BGMode backgroundMode_ = Qt::TransparentMode;
    QBrush background_{Qt::white};
};

} // namespace

struct Metafile::Data {
    QSize size;
    Reference reference;
    std::vector<Op> ops;
    std::unique_ptr<MetafileEngine> engine;
};

Metafile::Metafile(QSize size, int dpi, QSize screen) : d_(std::make_unique<Data>())
{
    d_->size = size;
    d_->reference = Reference{dpi > 0 ? dpi : 96, screen};
    d_->engine = std::make_unique<MetafileEngine>(d_->ops);
}

Metafile::~Metafile() = default;

QSize Metafile::size() const
{
    return d_->size;
}

int Metafile::dpi() const
{
    return d_->reference.dpi;
}

QPaintEngine* Metafile::paintEngine() const
{
    return d_->engine.get();
}

QByteArray Metafile::toEmf() const
{
    return writeEmf(d_->ops, d_->size, d_->reference);
}

QByteArray Metafile::toPlaceableWmf() const
{
    return writePlaceableWmf(d_->ops, d_->size, d_->reference);
}

int Metafile::metric(PaintDeviceMetric metric) const
{
    const int dpi = d_->reference.dpi;
    switch (metric) {
    case PdmWidth: return d_->size.width();
    case PdmHeight: return d_->size.height();
    case PdmWidthMM: return qRound(d_->size.width() * 25.4 / dpi);
    case PdmHeightMM: return qRound(d_->size.height() * 25.4 / dpi);
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return dpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    default: return 0;
    }
}

} // namespace klt
