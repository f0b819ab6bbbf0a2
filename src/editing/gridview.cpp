#include "editing/gridview.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "core/cp1251.h"
#include "core/text.h"
#include "widgets/scrollfit.h"

namespace klt {

namespace {
const QColor kLineColor(192, 192, 192);
const QColor kFrameColor(255, 0, 0);
// The frame and the solver marks on a fill colour too close to red to show them.
const QColor kFrameColorOnRed(0, 0, 255);
const QColor kDifferColor(255, 160, 0); // cells a uniqueness verdict points at

// The width of that frame: wide enough to see on a white and on a filled
// cell, narrow enough to leave the cell's own fill showing in the middle.
int differFrameWidth(int cellSize)
{
    return std::max(1, cellSize / 6);
}

bool frameShown(const CellRect& s)
{
    return s.right - s.left >= 2 || s.bottom - s.top >= 2;
}

CellRect normalized(int c1, int r1, int c2, int r2)
{
    return CellRect{std::min(c1, c2), std::min(r1, r2), std::max(c1, c2), std::max(r1, r2)};
}
} // namespace

GridView::GridView(Workspace& ws, QWidget* parent) : QAbstractScrollArea(parent), ws_(ws)
{
    ws_.doc.addObserver(this);
    setObjectName(QStringLiteral("sgMain"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
    shownSelection_ = ws_.cursor.selection;
    shownCol_ = ws_.cursor.col;
    shownRow_ = ws_.cursor.row;
}

GridView::~GridView()
{
    ws_.doc.removeObserver(this);
}

void GridView::setCellSize(int px)
{
    ws_.doc.setCellSize(px);
}

void GridView::cellSizeChanged()
{
    clearCaches();
    fieldChanged();
}

void GridView::setFillColor(const QColor& c)
{
    fill_ = c;
    clearCaches();
    invalidateAll();
}

void GridView::invalidate(const QRect& r)
{
    layerDirty_ += r;
    viewport()->update(r);
}

void GridView::invalidateAll()
{
    layerDirty_ = QRegion(viewport()->rect());
    viewport()->update();
}

int GridView::ox() const
{
    return horizontalScrollBar()->value();
}

int GridView::oy() const
{
    return verticalScrollBar()->value();
}

std::optional<QPoint> GridView::cellAt(const QPoint& pos) const
{
    if (!viewport()->rect().contains(pos)) return std::nullopt;
    const int x = pos.x() + ox(), y = pos.y() + oy();
    if (x < 0 || y < 0) return std::nullopt;
    const int c = x / pitch(), r = y / pitch();
    if (c >= ws_.doc.field().colCount() || r >= ws_.doc.field().rowCount()) return std::nullopt;
    return QPoint(c, r);
}

QRect GridView::cellRect(int c, int r) const
{
    return QRect(c * pitch() - ox(), r * pitch() - oy(), ws_.doc.cellSize(), ws_.doc.cellSize());
}

QRect GridView::cellUpdateRect(int c, int r) const
{
    // One pixel around the cell: the selection frame reaches onto the grid lines.
    return cellRect(c, r).adjusted(-1, -1, 1, 1);
}

void GridView::updateCell(int c, int r)
{
    invalidate(cellUpdateRect(c, r));
}

QRegion GridView::frameRegion(const CellRect& s) const
{
    if (!frameShown(s)) return {};
    const int x0 = s.left * pitch() - ox() - 2, x1 = (s.right + 1) * pitch() - ox() + 1;
    const int y0 = s.top * pitch() - oy() - 2, y1 = (s.bottom + 1) * pitch() - oy() + 1;
    QRegion r;
    r += QRect(x0, y0, x1 - x0 + 1, 4);
    r += QRect(x0, y1 - 3, x1 - x0 + 1, 4);
    r += QRect(x0, y0, 4, y1 - y0 + 1);
    r += QRect(x1 - 3, y0, 4, y1 - y0 + 1);
    return r;
}

void GridView::refreshCursor()
{
    const CellRect sel = ws_.cursor.selection;
    if (sel != shownSelection_) {
        viewport()->update(frameRegion(shownSelection_) + frameRegion(sel));
        shownSelection_ = sel;
    }
    if (ws_.cursor.col != shownCol_ || ws_.cursor.row != shownRow_) {
        updateCell(shownCol_, shownRow_);
        updateCell(ws_.cursor.col, ws_.cursor.row);
        shownCol_ = ws_.cursor.col;
        shownRow_ = ws_.cursor.row;
    }
}

void GridView::fieldChanged()
{
    if (ws_.doc.field().colCount() != shownCols_ || ws_.doc.field().rowCount() != shownRows_) {
        shownCols_ = ws_.doc.field().colCount();
        shownRows_ = ws_.doc.field().rowCount();
        emit fieldSizeChanged();
    }
    updateScrollBars();
    shownSelection_ = ws_.cursor.selection;
    shownCol_ = ws_.cursor.col;
    shownRow_ = ws_.cursor.row;
    invalidateAll();
}

void GridView::wheelEvent(QWheelEvent* e)
{
    const std::optional<int> steps = ctrlWheelSteps(*e, wheelRest_);
    if (!steps) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    if (*steps != 0) emit zoomRequested(*steps);
}

void GridView::repaintAll()
{
    viewport()->update();
}

void GridView::ensureVisible(int c, int r)
{
    const QSize vs = viewport()->size();
    const int x = c * pitch(), y = r * pitch();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (x < h->value()) h->setValue(x);
    else if (x + pitch() > h->value() + vs.width()) h->setValue(x + pitch() - vs.width());
    if (y < v->value()) v->setValue(y);
    else if (y + pitch() > v->value() + vs.height()) v->setValue(y + pitch() - vs.height());
}

bool GridView::hasEditFocus() const
{
    const QWidget* fw = window()->focusWidget();
    return fw == this || fw == viewport();
}

void GridView::updateScrollBars()
{
    fitScrollBars(*this, QSize(ws_.doc.field().colCount() * pitch(), ws_.doc.field().rowCount() * pitch()), pitch());
}

void GridView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void GridView::scrollContentsBy(int dx, int dy)
{
    if (!layer_.isNull() && layer_.devicePixelRatio() != 1.0) {
        layerDirty_ = QRegion(viewport()->rect());
    } else if (!layer_.isNull()) {
        QRegion exposed;
        layer_.scroll(dx, dy, layer_.rect(), &exposed);
        layerDirty_.translate(dx, dy);
        layerDirty_ += QRegion(viewport()->rect()) - QRegion(viewport()->rect().translated(dx, dy));
    }
    // The frame moves with the cells, so the overlay is drawn anew everywhere.
    viewport()->update();
}

void GridView::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::FontChange) {
        clearCaches();
        invalidateAll();
    }
    QAbstractScrollArea::changeEvent(e);
}

void GridView::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    updateCell(ws_.cursor.col, ws_.cursor.row);
}

void GridView::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    updateCell(ws_.cursor.col, ws_.cursor.row);
}

void GridView::clearCaches()
{
    glyphs_.clear();
    for (auto& row : singleGlyphs_)
        for (auto& pm : row) pm = QPixmap();
    for (auto& row : marks_)
        for (auto& pm : row) pm = QPixmap();
}

const QPixmap& GridView::glyph(const std::string& shown, bool filled)
{
    // Clues are a handful of distinct texts; drawing each once keeps a
    // repaint of the whole field cheap.
    QPixmap* slot = nullptr;
    if (shown.size() == 1) {
        slot = &singleGlyphs_[filled ? 1 : 0][static_cast<unsigned char>(shown[0])];
        if (!slot->isNull()) return *slot;
    } else {
        key_.assign(shown);
        key_ += filled ? '\1' : '\0';
        auto it = glyphs_.find(key_);
        if (it != glyphs_.end()) return it->second;
        if (glyphs_.size() > 2000) glyphs_.clear();
    }
    const int cs = ws_.doc.cellSize();
    const qreal dpr = devicePixelRatioF();
    QPixmap pm(QSize(cs, cs) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setFont(font());
        p.setPen(filled ? QColor(255, 255, 255) : QColor(0, 0, 0));
        p.drawText(QRect(0, 0, cs, cs), Qt::AlignCenter | Qt::TextSingleLine,
                   QString::fromStdString(cp1251ToUtf8(shown)));
    }
    if (slot) return *slot = std::move(pm);
    return glyphs_.emplace(key_, std::move(pm)).first->second;
}

QColor GridView::accentColor() const
{
    const int dr = fill_.red() - 255, dg = fill_.green(), db = fill_.blue();
    return dr * dr + dg * dg + db * db < 180 * 180 ? kFrameColorOnRed : kFrameColor;
}

const QPixmap& GridView::markPixmap(int mark, bool filled)
{
    QPixmap& pm = marks_[mark == MarkComplete ? 1 : 0][filled ? 1 : 0];
    if (pm.isNull()) {
        pm = QPixmap(5, 5);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        const QColor accent = accentColor();
        p.setPen(QPen(accent, 1));
        p.setBrush(mark == MarkComplete ? accent : (filled ? fill_ : QColor(255, 255, 255)));
        p.drawEllipse(QRect(0, 0, 4, 4));
    }
    return pm;
}

void GridView::showDifference(const CellGrid& differs)
{
    differs_ = differs;
    differsRevision_ = ws_.doc.field().revision();
    invalidateAll();
}

void GridView::paintEvent(QPaintEvent* e)
{
    if (differenceShown() && ws_.doc.field().revision() != differsRevision_) {
        // An edit, a new puzzle or a command changed the field: the marked
        // cells no longer tell anything.
        differs_ = CellGrid();
        invalidateAll();
    }
    const QSize vs = viewport()->size();
    const qreal dpr = devicePixelRatioF();
    if (layer_.isNull() || layer_.size() != vs * dpr) {
        layer_ = QPixmap(vs * dpr);
        layer_.setDevicePixelRatio(dpr);
        layerDirty_ = QRegion(viewport()->rect());
    }
    if (!layerDirty_.isEmpty()) {
        QPainter lp(&layer_);
        for (const QRect& r : layerDirty_ & viewport()->rect()) paintCells(lp, r);
        layerDirty_ = QRegion();
    }
    QPainter p(viewport());
    const QRect exposed = e->rect();
    p.drawPixmap(exposed, layer_, QRectF(QPointF(exposed.topLeft()) * dpr, QSizeF(exposed.size()) * dpr));
    p.setClipRegion(e->region());
    paintOverlay(p);
}

void GridView::paintCells(QPainter& p, const QRect& exposed)
{
    p.setClipRect(exposed);
    const Field& f = ws_.doc.field();
    const int cols = f.colCount(), rows = f.rowCount();
    const int cs = ws_.doc.cellSize(), pt = pitch(), x0 = ox(), y0 = oy();
    const QRect fieldPx(-x0, -y0, cols * pt, rows * pt);

    const QColor outside = palette().color(QPalette::Window);
    for (const QRect& r : QRegion(exposed) - QRegion(fieldPx)) p.fillRect(r, outside);
    const QRect area = exposed & fieldPx;
    if (area.isEmpty()) return;

    const int c0 = (area.left() + x0) / pt, c1 = std::min(cols - 1, (area.right() + x0) / pt);
    const int r0 = (area.top() + y0) / pt, r1 = std::min(rows - 1, (area.bottom() + y0) / pt);

    p.setClipRect(area);
    p.fillRect(area, Qt::white);
    for (int c = c0; c <= c1; ++c) p.fillRect(c * pt + cs - x0, area.top(), 1, area.height(), kLineColor);
    for (int r = r0; r <= r1; ++r) p.fillRect(area.left(), r * pt + cs - y0, area.width(), 1, kLineColor);

    std::string shown;
    for (int c = c0; c <= c1; ++c) {
        for (int r = r0; r <= r1; ++r) {
            const std::string& t = f.text(c, r);
            const std::uint8_t mark = f.mark(c, r);
            const bool current = c == ws_.cursor.col && r == ws_.cursor.row;
            const bool differs = c < differs_.cols && r < differs_.rows && differs_.at(c, r);
            if (t.empty() && mark == 0 && !current && !differs) continue;
            const bool filled = isFilledText(t);
            const QRect cell(c * pt - x0, r * pt - y0, cs, cs);
            if (filled) p.fillRect(cell, fill_);
            if (differs) {
                const int fw = differFrameWidth(cs);
                p.fillRect(cell.left(), cell.top(), cs, fw, kDifferColor);
                p.fillRect(cell.left(), cell.bottom() - fw + 1, cs, fw, kDifferColor);
                p.fillRect(cell.left(), cell.top(), fw, cs, kDifferColor);
                p.fillRect(cell.right() - fw + 1, cell.top(), fw, cs, kDifferColor);
            }
            if (current) {
                p.setPen(kLineColor);
                p.setBrush(Qt::NoBrush);
                p.drawRect(cell.adjusted(0, 0, -1, -1));
            }
            if (!t.empty() && t != "-") {
                shown.clear();
                for (char ch : t)
                    if (ch != '-') shown += ch;
                if (!shown.empty()) p.drawPixmap(cell.topLeft(), glyph(shown, filled));
            }
            if (mark != 0) p.drawPixmap(cell.topLeft(), markPixmap(mark, filled));
        }
    }
}

void GridView::paintOverlay(QPainter& p)
{
    const int cols = ws_.doc.field().colCount(), rows = ws_.doc.field().rowCount();
    const int cs = ws_.doc.cellSize(), pt = pitch(), x0 = ox(), y0 = oy();
    // The red frame around a selection of three or more columns or rows; only
    // sides whose cells lie inside the field are drawn.
    const CellRect s = ws_.cursor.selection;
    if (frameShown(s)) {
        const int vl = std::max(s.left, 0), vr = std::min(s.right, cols - 1);
        const int vt = std::max(s.top, 0), vb = std::min(s.bottom, rows - 1);
        if (vl <= vr && vt <= vb) {
            const int xl = vl * pt - x0, xr = vr * pt + cs - x0;
            const int yt = vt * pt - y0, yb = vb * pt + cs - y0;
            const QColor frame = accentColor();
            if (s.left >= 0) p.fillRect(xl - 1, yt - 1, 2, yb - yt + 2, frame);
            if (s.right < cols) p.fillRect(xr - 1, yt - 1, 2, yb - yt + 2, frame);
            if (s.top >= 0) p.fillRect(xl - 1, yt - 1, xr - xl + 2, 2, frame);
            if (s.bottom < rows) p.fillRect(xl - 1, yb - 1, xr - xl + 2, 2, frame);
        }
    }
    if (hasFocus() && ws_.doc.field().inside(ws_.cursor.col, ws_.cursor.row)) {
        // Where a typed digit goes.
        p.setPen(QPen(QColor(96, 96, 96), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(cellRect(ws_.cursor.col, ws_.cursor.row).adjusted(1, 1, -2, -2));
    }
}

void GridView::mousePressEvent(QMouseEvent* e)
{
    if (input_) input_->mousePress(e);
}

void GridView::mouseMoveEvent(QMouseEvent* e)
{
    if (input_) input_->mouseMove(e);
}

void GridView::mouseReleaseEvent(QMouseEvent* e)
{
    if (input_) input_->mouseRelease(e);
}

void GridView::mouseDoubleClickEvent(QMouseEvent* e)
{
    // A second press is a press like any other.
    if (input_) input_->mousePress(e);
}

QPoint GridView::movingCorner() const
{
    const CellRect s = ws_.cursor.selection;
    if (s == anchorSelection_) return anchor_;
    return QPoint(ws_.cursor.col == s.left ? s.right : s.left, ws_.cursor.row == s.top ? s.bottom : s.top);
}

void GridView::keyMove(int c, int r, bool extend)
{
    c = std::clamp(c, 0, ws_.doc.field().colCount() - 1);
    r = std::clamp(r, 0, ws_.doc.field().rowCount() - 1);
    if (extend) {
        anchor_ = QPoint(c, r);
        ws_.cursor.selection = normalized(ws_.cursor.col, ws_.cursor.row, c, r);
        anchorSelection_ = ws_.cursor.selection;
    } else {
        ws_.cursor.setCurrentCell(c, r);
    }
    refreshCursor();
    ensureVisible(c, r);
}

void GridView::keyPressEvent(QKeyEvent* e)
{
    if (input_ && input_->keyPress(e)) return;
    const bool extend = rangeSelect_ && (e->modifiers() & Qt::ShiftModifier);
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const QPoint from = extend ? movingCorner() : QPoint(ws_.cursor.col, ws_.cursor.row);
    const int pageRows = std::max(1, viewport()->height() / pitch());
    int c = from.x(), r = from.y();
    switch (e->key()) {
    case Qt::Key_Left: --c; break;
    case Qt::Key_Right: ++c; break;
    case Qt::Key_Up: --r; break;
    case Qt::Key_Down: ++r; break;
    case Qt::Key_PageUp: r -= pageRows; break;
    case Qt::Key_PageDown: r += pageRows; break;
    case Qt::Key_Home:
        c = 0;
        if (ctrl) r = 0;
        break;
    case Qt::Key_End:
        c = ws_.doc.field().colCount() - 1;
        if (ctrl) r = ws_.doc.field().rowCount() - 1;
        break;
    default: QAbstractScrollArea::keyPressEvent(e); return;
    }
    keyMove(c, r, extend);
}

} // namespace klt
