#pragma once
// The drawing state and the drawing operations that both kinds of metafile
// replay (enhanced and old-style): a device context with its mapping mode,
// window and viewport, world transform, selected pen, brush and font, text
// attributes, path bracket, clipping and saved states, drawn with QPainter.
// The record readers (emfpicture.cpp, wmfpicture.cpp) decode the records
// and call these operations.
#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRegion>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "metafile/layout.h"

namespace klt::gdi {

// The colour of a COLORREF.
QColor colorOf(quint32 c);
// A logical pen of the given style bits (PS_*), width in logical units
// (0: one device pixel) and colour.
QPen makePen(quint32 style, double width, const QColor& color);
// A logical brush: BS_SOLID, BS_NULL, BS_HATCHED (with HS_* hatch); other
// styles (patterns) draw in their colour.
QBrush makeBrush(quint32 style, const QColor& color, quint32 hatch);
// A device-independent bitmap (its BITMAPINFO and its bits) as an image;
// null for anything unreadable or larger than the picture limits.
QImage dibToImage(const uchar* info, qint64 infoSize, const uchar* bits, qint64 bitsSize);
// A packed DIB (BITMAPINFO directly followed by the bits).
QImage packedDibToImage(const uchar* dib, qint64 size);

struct FontObject {
    int height = 0; // logical units; negative: character height, positive: cell height
    int escapement = 0;
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    QString face;
};
struct PenObject {
    QPen pen;
};
struct BrushObject {
    QBrush brush;
};
// Objects a metafile creates that take a slot but are not drawn with (palettes, regions).
struct OtherObject {};
using Object = std::variant<std::monostate, PenObject, BrushObject, FontObject, OtherObject>;

enum class ArcKind { Arc, Chord, Pie };

// Saved states a player keeps at most. A save beyond them fails, as a save
// does in GDI once its resources run out, so that a metafile of nothing but
// saves cannot take more memory than a few megabytes.
constexpr int kMaxSavedStates = 1024;

class Player {
public:
    // toTarget maps reference device pixels onto the painter's device;
    // devicePerMm is the reference device's resolution (for the metric
    // mapping modes); target is the rectangle the picture is drawn into.
    Player(QPainter& painter, int objectSlots, const QTransform& toTarget, QSizeF devicePerMm, const QRect& target);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Mapping.
    void setMapMode(int mode) { s_.mapMode = mode; }
    void setWindowOrg(QPointF p) { s_.windowOrg = p; }
    void setWindowExt(QSizeF s) { s_.windowExt = s; }
    void setViewportOrg(QPointF p) { s_.viewportOrg = p; }
    void setViewportExt(QSizeF s) { s_.viewportExt = s; }
    void setWorldTransform(const QTransform& t) { s_.world = t; }
    // MWT_IDENTITY, MWT_LEFTMULTIPLY, MWT_RIGHTMULTIPLY or MWT_SET.
    void modifyWorldTransform(const QTransform& t, int mode);

    // Objects: at a given slot (enhanced metafiles) or at the lowest free
    // slot (old-style metafiles).
    void setObject(quint32 index, Object o);
    void addObject(Object o);
    void deleteObject(quint32 index);
    void selectObject(quint32 index);
    void selectStockObject(quint32 stock);

    // Attributes.
    void setBkMode(int mode) { s_.bkMode = mode; }
    void setPolyFillMode(int mode) { s_.fillRule = mode == WINDING ? Qt::WindingFill : Qt::OddEvenFill; }
    void setTextAlign(quint32 align) { s_.textAlign = align; }
    void setTextColor(const QColor& c) { s_.textColor = c; }
    void setBkColor(const QColor& c) { s_.bkColor = c; }

    // Figures (into the path while a path bracket is open).
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const std::vector<QPointF>& pts);
    void polylineTo(const std::vector<QPointF>& pts);
    void polygon(const std::vector<QPointF>& pts);
    void polyBezier(const std::vector<QPointF>& pts);
    void polyBezierTo(const std::vector<QPointF>& pts);
    void polyPolygon(const std::vector<std::vector<QPointF>>& polys);
    void polyPolyline(const std::vector<std::vector<QPointF>>& lines);
    void rectangle(const QRectF& r);
    void roundRect(const QRectF& r, double cornerWidth, double cornerHeight);
    void ellipse(const QRectF& r);
    void arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void setPixel(QPointF p, const QColor& c);
    // Text at ref (or the current position with TA_UPDATECP); options are
    // ETO_OPAQUE and ETO_CLIPPED with box.
    void text(QPointF ref, const QString& text, quint32 options, const QRectF& box);
    void image(const QRectF& dest, const QImage& image, const QRectF& source);

    // Path bracket.
    void beginPath();
    void endPath() { inPath_ = false; }
    void abortPath();
    void closeFigure();
    void fillPath(bool fill, bool stroke);

    // Clipping and saved states.
    void intersectClip(const QRectF& r);
    void resetClip();
    // Ignored when kMaxSavedStates states are saved already.
    void saveDC();
    // Negative: that many states back; positive: the state of that number.
    void restoreDC(int n);
    int savedStates() const { return static_cast<int>(saved_.size()); }

private:
    struct State {
        int mapMode = MM_TEXT;
        QPointF windowOrg{0, 0}, viewportOrg{0, 0};
        QSizeF windowExt{1, 1}, viewportExt{1, 1};
        QTransform world;
        QPen pen{Qt::black, 0};
        QBrush brush{Qt::white};
        FontObject font;
        QColor textColor{Qt::black}, bkColor{Qt::white};
        int bkMode = OPAQUE;
        quint32 textAlign = 0;
        Qt::FillRule fillRule = Qt::OddEvenFill;
        QPointF current{0, 0};
        // In device pixels (the painter's coordinates without its world
        // transform), as GDI keeps its clipping region; part of the saved
        // state, so the painter's own save stack is never used.
        QRegion clip;
    };

    QTransform pageTransform() const;
    QTransform total() const { return s_.world * pageTransform() * toTarget_; }
    void applyTransform() { p_.setWorldTransform(total()); }
    void stroke(const QPainterPath& path);
    void fillAndStroke(const QPainterPath& path);
    // A figure in a bounding box (rectangle, ellipse, arcs): GDI leaves out
    // the right and bottom device pixel of the box. makeFigure builds it
    // from the box; drawn in device pixels when the mapping allows.
    template <class MakeFigure>
    void boxFigure(const QRectF& box, bool filled, MakeFigure makeFigure);
    QPainterPath& path();
    QFont font(double* pixelSize) const;
    // r under t as a region of device pixels; only the part within counts
    // when t turns r.
    static QRegion deviceRegion(const QRectF& r, const QTransform& t, const QRect& within);
    void applyClip();
    // Slot bookkeeping of addObject.
    void markSlot(std::size_t index, bool used);

    QPainter& p_;
    std::vector<Object> objects_;
    // One bit per slot, set while the slot is free, and one bit per word of
    // them, set while that word has a free slot: the lowest free slot is found
    // by looking at a few words however full the table is.
    std::vector<std::uint64_t> freeSlots_, freeWords_;
    QTransform toTarget_;
    QSizeF devicePerMm_;
    QTransform base_;
    QRect target_;
    QRegion targetClip_;
    State s_;
    std::vector<State> saved_;
    // Between the start and the end of a path bracket figures go to the path.
    bool inPath_ = false;
    std::optional<QPainterPath> path_;
};

} // namespace klt::gdi
