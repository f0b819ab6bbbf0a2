#include "app/pathview.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "core/grid.h"
#include "widgets/scrollfit.h"

namespace klt {

namespace {

const QColor kLineColor(200, 200, 200);
const QColor kOwnFilled(70, 70, 70);
const QColor kOwnWhite(228, 228, 228);
const QColor kTrialFilled(150, 150, 150);
const QColor kTrialWhite(244, 244, 244);
const QColor kClueFrame(225, 25, 25);
const QColor kCellFrame(255, 190, 0);

// Below this size the picture has no grid lines, and digits need a few pixels more.
constexpr int kLinesFrom = 6;
constexpr int kDigitsFrom = 8;

QString cellName(int index, int rows)
{
    return QStringLiteral("(%1, %2)").arg(index / rows).arg(index % rows);
}

QString contradictionText(int clue, int rows)
{
    return QStringLiteral("Противоречие: число в %1 не сходится").arg(cellName(clue, rows));
}

// A legend entry's picture: a cell or two as the field shows them.
QPixmap swatch(const std::function<void(QPainter&, const QRect&)>& first,
               const std::function<void(QPainter&, const QRect&)>& second = {})
{
    const int side = 14, gap = 3;
    QPixmap pm(second ? 2 * side + gap : side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    auto cell = [&](int x, const std::function<void(QPainter&, const QRect&)>& draw) {
        const QRect r(x, 0, side, side);
        p.fillRect(r, Qt::white);
        draw(p, r.adjusted(1, 1, -1, -1));
        p.setPen(QColor(160, 160, 160));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    };
    cell(0, first);
    if (second) cell(side + gap, second);
    return pm;
}

} // namespace

QColor levelColor(int level, bool filled)
{
    switch (level) {
    case 1: return filled ? QColor(37, 87, 176) : QColor(212, 226, 250);
    case 2: return filled ? QColor(26, 122, 62) : QColor(208, 238, 213);
    default: return filled ? QColor(142, 50, 160) : QColor(240, 219, 245);
    }
}

// ---- the picture ----

PathField::PathField(const PathPicture& picture, QWidget* parent) : QAbstractScrollArea(parent), pic_(picture)
{
    setObjectName(QStringLiteral("pathField"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

int PathField::fittingCellSize() const
{
    if (pic_.clues.cols == 0) return cellSize_;
    const QSize vs = viewport()->size();
    for (int cs = kMaxCellSize; cs > kMinCellSize; --cs) {
        const int pt = cs >= kLinesFrom ? cs + 1 : cs;
        if (pic_.clues.cols * pt <= vs.width() && pic_.clues.rows * pt <= vs.height()) return cs;
    }
    return kMinCellSize;
}

void PathField::setCellSize(int px)
{
    px = std::clamp(px, kMinCellSize, kMaxCellSize);
    if (px == cellSize_) return;
    // The cell in the middle of the view stays there.
    const QSize vs = viewport()->size();
    const double cx = (horizontalScrollBar()->value() + vs.width() / 2.0) / pitch();
    const double cy = (verticalScrollBar()->value() + vs.height() / 2.0) / pitch();
    cellSize_ = px;
    for (auto& set : digits_)
        for (auto& pm : set) pm = QPixmap();
    updateScrollBars();
    horizontalScrollBar()->setValue(static_cast<int>(cx * pitch() - vs.width() / 2.0));
    verticalScrollBar()->setValue(static_cast<int>(cy * pitch() - vs.height() / 2.0));
    viewport()->update();
}

int PathField::pitch() const
{
    return cellSize_ >= kLinesFrom ? cellSize_ + 1 : cellSize_;
}

void PathField::pictureChanged()
{
    updateScrollBars();
    viewport()->update();
}

void PathField::updateScrollBars()
{
    fitScrollBars(*this, QSize(pic_.clues.cols * pitch(), pic_.clues.rows * pitch()), pitch());
}

void PathField::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

QPoint PathField::origin() const
{
    // A field smaller than the view stands in its middle.
    const QSize vs = viewport()->size();
    const int w = pic_.clues.cols * pitch(), h = pic_.clues.rows * pitch();
    return QPoint(w < vs.width() ? (vs.width() - w) / 2 : -horizontalScrollBar()->value(),
                  h < vs.height() ? (vs.height() - h) / 2 : -verticalScrollBar()->value());
}

QRect PathField::cellRect(int c, int r) const
{
    const QPoint o = origin();
    return QRect(o.x() + c * pitch(), o.y() + r * pitch(), cellSize_, cellSize_);
}

std::optional<QPoint> PathField::cellAt(const QPoint& pos) const
{
    if (!viewport()->rect().contains(pos)) return std::nullopt;
    const int x = pos.x() - origin().x(), y = pos.y() - origin().y();
    if (x < 0 || y < 0) return std::nullopt;
    const int c = x / pitch(), r = y / pitch();
    if (c >= pic_.clues.cols || r >= pic_.clues.rows) return std::nullopt;
    return QPoint(c, r);
}

void PathField::bringIntoView(const std::vector<int>& cells)
{
    const int rows = pic_.clues.rows;
    if (cells.empty() || rows == 0) return;
    const QRect view = viewport()->rect();
    int c0 = pic_.clues.cols, c1 = -1, r0 = rows, r1 = -1;
    for (int i : cells) {
        const int c = i / rows, r = i % rows;
        if (view.intersects(cellRect(c, r))) return;
        c0 = std::min(c0, c);
        c1 = std::max(c1, c);
        r0 = std::min(r0, r);
        r1 = std::max(r1, r);
    }
    // The middle of the cells goes to the middle of the view.
    horizontalScrollBar()->setValue((c0 + c1 + 1) * pitch() / 2 - view.width() / 2);
    verticalScrollBar()->setValue((r0 + r1 + 1) * pitch() / 2 - view.height() / 2);
}

const QPixmap& PathField::digit(int value, bool light)
{
    QPixmap& pm = digits_[light ? 1 : 0][value];
    if (!pm.isNull()) return pm;
    const qreal dpr = devicePixelRatioF();
    pm = QPixmap(QSize(cellSize_, cellSize_) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f = font();
    f.setPixelSize(std::max(6, cellSize_ * 2 / 3));
    f.setWeight(QFont::DemiBold);
    p.setFont(f);
    p.setPen(light ? QColor(255, 255, 255) : QColor(0, 0, 0));
    p.drawText(QRect(0, 0, cellSize_, cellSize_), Qt::AlignCenter, QString::number(value));
    return pm;
}

void PathField::paintCell(QPainter& p, int c, int r, const QRect& cell)
{
    const size_t i = static_cast<size_t>(c) * static_cast<size_t>(pic_.clues.rows) + static_cast<size_t>(r);
    const std::int8_t s = pic_.state[i];
    const bool filled = s == kCellFilled;
    QColor fill = Qt::white;
    switch (pic_.source[i]) {
    case PathPicture::Source::Open: break;
    case PathPicture::Source::Path: fill = levelColor(pic_.level[i], filled); break;
    case PathPicture::Source::Own: fill = filled ? kOwnFilled : kOwnWhite; break;
    case PathPicture::Source::Trial: fill = filled ? kTrialFilled : kTrialWhite; break;
    }
    if (s == kCellOpen) fill = Qt::white;
    p.fillRect(cell, fill);
    if (pic_.source[i] == PathPicture::Source::Own && s == kCellWhite) {
        // A white cell of the author's: a dot in the corner, clear of the digit.
        const int d = std::max(2, cellSize_ / 4);
        p.fillRect(cell.right() - d - cellSize_ / 10, cell.bottom() - d - cellSize_ / 10, d, d, kOwnFilled);
    }
    const int v = pic_.clues.clues[i];
    if (v >= 0 && v <= 9 && cellSize_ >= kDigitsFrom) p.drawPixmap(cell.topLeft(), digit(v, filled));
}

void PathField::frameBlock(QPainter& p, int index, const QColor& colour, bool strong)
{
    const int rows = pic_.clues.rows, c = index / rows, r = index % rows;
    const BlockBounds b = blockAround(c, r, pic_.clues.cols, rows);
    const QRect tl = cellRect(b.left, b.top), br = cellRect(b.right, b.bottom);
    QPen pen(colour, strong ? 2 : 1, strong ? Qt::SolidLine : Qt::DashLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(tl.topLeft(), br.bottomRight()).adjusted(-1, -1, 0, 0));
}

void PathField::paintMarks(QPainter& p, int c0, int c1, int r0, int r1)
{
    const int rows = pic_.clues.rows;
    auto visible = [&](int i) {
        const int c = i / rows, r = i % rows;
        return c >= c0 - 1 && c <= c1 + 1 && r >= r0 - 1 && r <= r1 + 1;
    };
    const int fw = std::max(1, cellSize_ / 7);
    // The cells the step decides: an amber frame.
    for (int i : pic_.stepCells) {
        if (!visible(i)) continue;
        const QRect cell = cellRect(i / rows, i % rows);
        if (pic_.hintFill) {
            // A hint's cells are still open: a mark of the fill they get.
            const int m = std::max(2, cellSize_ / 3);
            const QRect mark(cell.center().x() - m / 2, cell.center().y() - m / 2, m, m);
            p.setPen(QPen(kOwnFilled, 1));
            p.setBrush(*pic_.hintFill ? QBrush(kOwnFilled) : QBrush(Qt::white));
            if (*pic_.hintFill) p.drawRect(mark);
            else p.drawEllipse(mark);
        }
        if (cellSize_ < kLinesFrom) {
            p.fillRect(cell, kCellFrame);
            continue;
        }
        const int w = fw + 1;
        p.fillRect(cell.left(), cell.top(), cell.width(), w, kCellFrame);
        p.fillRect(cell.left(), cell.bottom() - w + 1, cell.width(), w, kCellFrame);
        p.fillRect(cell.left(), cell.top(), w, cell.height(), kCellFrame);
        p.fillRect(cell.right() - w + 1, cell.top(), w, cell.height(), kCellFrame);
    }
    // The clues it used: the cell framed, and the blocks of those it reasoned on.
    const int blocks = std::min(pic_.blockOutlines, static_cast<int>(pic_.stepClues.size()));
    for (int k = 0; k < blocks; ++k) frameBlock(p, pic_.stepClues[static_cast<size_t>(k)], kClueFrame, false);
    const int cw = std::max(2, cellSize_ / 6);
    auto frameClue = [&](int i, int width) {
        const QRect cell = cellRect(i / rows, i % rows).adjusted(-1, -1, 1, 1);
        p.fillRect(cell.left(), cell.top(), cell.width(), width, kClueFrame);
        p.fillRect(cell.left(), cell.bottom() - width + 1, cell.width(), width, kClueFrame);
        p.fillRect(cell.left(), cell.top(), width, cell.height(), kClueFrame);
        p.fillRect(cell.right() - width + 1, cell.top(), width, cell.height(), kClueFrame);
    };
    for (int i : pic_.stepClues)
        if (visible(i)) frameClue(i, cw);
    if (cellSize_ < kLinesFrom) {
        // Too small to see on an overview: a ring around where the step is.
        std::vector<int> all = pic_.stepCells;
        all.insert(all.end(), pic_.stepClues.begin(), pic_.stepClues.end());
        if (pic_.broken >= 0) all.push_back(pic_.broken);
        if (!all.empty() && all.size() < 1000) {
            QRect box;
            for (int i : all) box |= cellRect(i / rows, i % rows);
            const double radius = std::max(10.0, std::hypot(box.width(), box.height()) / 2 + 6);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(kClueFrame, 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(box.center()) + QPointF(0.5, 0.5), radius, radius);
            p.setRenderHint(QPainter::Antialiasing, false);
        }
    }
    if (pic_.broken >= 0) {
        // A clue that cannot be met: its block tinted, the clue framed broad.
        const BlockBounds b = blockAround(pic_.broken / rows, pic_.broken % rows, pic_.clues.cols, rows);
        p.fillRect(QRect(cellRect(b.left, b.top).topLeft(), cellRect(b.right, b.bottom).bottomRight()),
                   QColor(255, 0, 0, 45));
        frameBlock(p, pic_.broken, kClueFrame, true);
        frameClue(pic_.broken, cw + 1);
    }
}

void PathField::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    const QRect area = e->rect();
    const int cols = pic_.clues.cols, rows = pic_.clues.rows;
    const int pt = pitch(), x0 = -origin().x(), y0 = -origin().y();
    const QRect fieldPx(-x0, -y0, cols * pt - (pt - cellSize_), rows * pt - (pt - cellSize_));
    const QColor outside = palette().color(QPalette::Window);
    for (const QRect& r : QRegion(area) - QRegion(fieldPx)) p.fillRect(r, outside);
    const QRect inside = area & fieldPx;
    if (cols == 0 || rows == 0 || inside.isEmpty() || pic_.state.size() != pic_.clues.clues.size()) return;
    p.fillRect(inside, kLineColor);
    const int c0 = (inside.left() + x0) / pt, c1 = std::min(cols - 1, (inside.right() + x0) / pt);
    const int r0 = (inside.top() + y0) / pt, r1 = std::min(rows - 1, (inside.bottom() + y0) / pt);
    for (int c = c0; c <= c1; ++c)
        for (int r = r0; r <= r1; ++r) paintCell(p, c, r, QRect(c * pt - x0, r * pt - y0, cellSize_, cellSize_));
    paintMarks(p, c0, c1, r0, r1);
}

void PathField::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
    if (const auto cell = cellAt(e->position().toPoint()))
        emit cellClicked(cell->x() * pic_.clues.rows + cell->y(), e->button() == Qt::LeftButton);
}

void PathField::mouseMoveEvent(QMouseEvent* e)
{
    if (const auto cell = cellAt(e->position().toPoint())) emit cellHovered(cell->x(), cell->y());
    else emit cellHovered(-1, -1);
}

void PathField::leaveEvent(QEvent* e)
{
    QAbstractScrollArea::leaveEvent(e);
    emit cellHovered(-1, -1);
}

void PathField::wheelEvent(QWheelEvent* e)
{
    const std::optional<int> steps = ctrlWheelSteps(*e, wheelRest_);
    if (!steps) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    if (*steps != 0) emit zoomRequested(*steps);
}

// ---- the window ----

PathView::PathView(Workspace& ws, QAction* grade, QAction* hint, QWidget* parent)
    : QDialog(parent, Qt::Window), ws_(ws), gradeAction_(grade), hintAction_(hint)
{
    setObjectName(QStringLiteral("PathView"));
    setWindowTitle(QStringLiteral("Путь решения"));
    ws_.doc.addObserver(this);
    buildLayout();
    // Single edits of a cell tell the document nothing: the field is looked
    // at now and then while the view is up.
    watch_ = new QTimer(this);
    watch_->setInterval(300);
    connect(watch_, &QTimer::timeout, this, &PathView::checkField);
    resize(760, 620);
    QSettings settings;
    const QByteArray geometry = settings.value(QStringLiteral("PathView/Geometry")).toByteArray();
    if (!geometry.isEmpty()) restoreGeometry(geometry);
}

PathView::~PathView()
{
    // Still open as the program ends: where it stood is kept for the next run.
    if (isVisible()) QSettings().setValue(QStringLiteral("PathView/Geometry"), saveGeometry());
    ws_.doc.removeObserver(this);
}

void PathView::buildLayout()
{
    auto* top = new QVBoxLayout(this);

    auto* head = new QHBoxLayout;
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    summary_->setWordWrap(true);
    auto* texts = new QVBoxLayout;
    texts->addWidget(summary_);
    auto* help = new QLabel(
        QStringLiteral("Щелчок по клетке: закрашена, белая, без отметки (правой кнопкой наоборот)"), this);
    help->setWordWrap(true);
    help->setStyleSheet(QStringLiteral("QLabel { color: #606060; }"));
    texts->addWidget(help);
    texts->addStretch(1);
    head->addLayout(texts, 1);

    auto* legend = new QGridLayout;
    legend->setHorizontalSpacing(6);
    legend->setVerticalSpacing(2);
    int row = 0;
    QLabel* icon = nullptr;
    auto entry = [&](const QPixmap& pm, const QString& text, int column) {
        icon = new QLabel(this);
        icon->setPixmap(pm);
        auto* label = new QLabel(text, this);
        legend->addWidget(icon, row, column * 2);
        legend->addWidget(label, row, column * 2 + 1);
        return label;
    };
    const char* const levels[] = {"Уровень 1 — одно число", "Уровень 2 — два числа", "Уровень 3 — противоречие"};
    for (int level = 1; level <= kTopGradeLevel; ++level, ++row) {
        entry(swatch([level](QPainter& p, const QRect& r) { p.fillRect(r, levelColor(level, true)); },
                     [level](QPainter& p, const QRect& r) { p.fillRect(r, levelColor(level, false)); }),
              QString::fromUtf8(levels[level - 1]), 0);
    }
    row = 0;
    entry(swatch([](QPainter& p, const QRect& r) {
              p.fillRect(r, kCellFrame);
              p.fillRect(r.adjusted(3, 3, -3, -3), Qt::white);
          }),
          QStringLiteral("Клетки шага"), 1);
    ++row;
    entry(swatch([](QPainter& p, const QRect& r) {
              p.fillRect(r.adjusted(-1, -1, 1, 1), kClueFrame);
              p.fillRect(r.adjusted(2, 2, -2, -2), Qt::white);
          }),
          QStringLiteral("Числа шага"), 1);
    ++row;
    entry(swatch([](QPainter& p, const QRect& r) { p.fillRect(r, kOwnFilled); },
                 [](QPainter& p, const QRect& r) {
                     p.fillRect(r, kOwnWhite);
                     p.fillRect(r.right() - 4, r.bottom() - 4, 3, 3, kOwnFilled);
                 }),
          QStringLiteral("Ваши отметки"), 1);
    ++row;
    trialLegend_ = entry(swatch([](QPainter& p, const QRect& r) { p.fillRect(r, kTrialFilled); },
                                [](QPainter& p, const QRect& r) { p.fillRect(r, kTrialWhite); }),
                         QStringLiteral("Ответ перебора"), 1);
    trialIcon_ = icon;
    auto* legendColumn = new QVBoxLayout;
    legendColumn->addLayout(legend);
    legendColumn->addStretch(1);
    head->addLayout(legendColumn);
    top->addLayout(head);

    auto* noticeRow = new QHBoxLayout;
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setStyleSheet(QStringLiteral("QLabel { color: #a01010; font-weight: bold; }"));
    noticeRow->addWidget(notice_);
    answerButton_ = new QPushButton(QStringLiteral("Показать ответ перебора"), this);
    answerButton_->setObjectName(QStringLiteral("showAnswer"));
    answerButton_->setCheckable(true);
    answerButton_->setAutoDefault(false); // Return is no request for the answer
    answerButton_->setToolTip(QStringLiteral("Показать серым клетки, которые решает только перебор"));
    connect(answerButton_, &QPushButton::toggled, this, &PathView::setAnswerShown);
    noticeRow->addWidget(answerButton_);
    noticeRow->addStretch(1);
    auto zoom = [this, noticeRow](const QString& text, const QString& tip, auto f) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, f);
        noticeRow->addWidget(b);
    };
    zoom(QStringLiteral("−"), QStringLiteral("Мельче (Ctrl и колесо мыши вниз)"), [this] { zoomBy(-1); });
    zoom(QStringLiteral("+"), QStringLiteral("Крупнее (Ctrl и колесо мыши вверх)"), [this] { zoomBy(1); });
    zoom(QStringLiteral("Всё поле"), QStringLiteral("Показать поле целиком"),
         [this] { field_->setCellSize(field_->fittingCellSize()); });
    hovered_ = new QLabel(this);
    hovered_->setMinimumWidth(hovered_->fontMetrics().horizontalAdvance(QStringLiteral("(8888, 8888)")));
    hovered_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    noticeRow->addWidget(hovered_);
    top->addLayout(noticeRow);

    staleBox_ = new QWidget(this);
    staleBox_->setObjectName(QStringLiteral("staleBox"));
    auto* staleRow = new QHBoxLayout(staleBox_);
    staleRow->setContentsMargins(0, 0, 0, 0);
    auto* staleNote = new QLabel(QStringLiteral("Числа на поле изменились: этот путь решения к ним больше не относится."),
                                 staleBox_);
    staleNote->setStyleSheet(QStringLiteral("QLabel { color: #a01010; font-weight: bold; }"));
    staleNote->setWordWrap(true);
    staleRow->addWidget(staleNote, 1);
    auto* regrade = new QToolButton(staleBox_);
    regrade->setDefaultAction(gradeAction_);
    regrade->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    staleRow->addWidget(regrade);
    top->addWidget(staleBox_);
    staleBox_->hide();

    field_ = new PathField(pic_, this);
    top->addWidget(field_, 1);
    connect(field_, &PathField::cellClicked, this, &PathView::cycleCell);
    connect(field_, &PathField::cellHovered, this, [this](int c, int r) {
        hovered_->setText(c < 0 ? QString() : QStringLiteral("(%1, %2)").arg(c).arg(r));
    });
    connect(field_, &PathField::zoomRequested, this, &PathView::zoomBy);

    reasonLabel_ = new QLabel(this);
    reasonLabel_->setObjectName(QStringLiteral("reason"));
    reasonLabel_->setWordWrap(true);
    reasonLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    reasonLabel_->setMinimumHeight(reasonLabel_->fontMetrics().lineSpacing() * 2 + 4);
    reasonLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Long reasons wrap; they never widen the window.
    reasonLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    top->addWidget(reasonLabel_);

    auto* bottom = new QHBoxLayout;
    navigation_ = new QWidget(this);
    auto* nav = new QHBoxLayout(navigation_);
    nav->setContentsMargins(0, 0, 0, 0);
    auto button = [this, nav](QStyle::StandardPixmap icon, const QString& tip, const char* name) {
        auto* b = new QToolButton(navigation_);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip);
        b->setAutoRaise(true);
        nav->addWidget(b);
        return b;
    };
    first_ = button(QStyle::SP_MediaSkipBackward, QStringLiteral("В начало (Home)"), "first");
    back_ = button(QStyle::SP_MediaSeekBackward,
                   QStringLiteral("Шаг назад (←; PgUp — на 10; Ctrl+← — к прежнему шагу уровня 2 или 3)"), "back");
    forward_ = button(QStyle::SP_MediaSeekForward,
                      QStringLiteral("Шаг вперёд (→; PgDn — на 10; Ctrl+→ — к следующему шагу уровня 2 или 3)"),
                      "forward");
    last_ = button(QStyle::SP_MediaSkipForward, QStringLiteral("В конец (End)"), "last");
    connect(first_, &QToolButton::clicked, this, [this] { setPosition(0); });
    connect(back_, &QToolButton::clicked, this, [this] { setPosition(position_ - 1); });
    connect(forward_, &QToolButton::clicked, this, [this] { setPosition(position_ + 1); });
    connect(last_, &QToolButton::clicked, this, [this] { setPosition(stepCount()); });
    slider_ = new QSlider(Qt::Horizontal, navigation_);
    slider_->setObjectName(QStringLiteral("stepSlider"));
    slider_->setPageStep(10);
    slider_->setMinimumWidth(120);
    connect(slider_, &QSlider::valueChanged, this, &PathView::setPosition);
    nav->addWidget(slider_, 1);
    stepLabel_ = new QLabel(navigation_);
    stepLabel_->setObjectName(QStringLiteral("stepLabel"));
    nav->addWidget(stepLabel_);
    bottom->addWidget(navigation_, 1);

    auto* hintButton = new QToolButton(this);
    hintButton->setDefaultAction(hintAction_);
    hintButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bottom->addWidget(hintButton);
    clearOwn_ = new QToolButton(this);
    clearOwn_->setObjectName(QStringLiteral("clearOwn"));
    clearOwn_->setText(QStringLiteral("Снять отметки"));
    clearOwn_->setToolTip(QStringLiteral("Снять все ваши отметки клеток"));
    connect(clearOwn_, &QToolButton::clicked, this, &PathView::clearOwnMarks);
    bottom->addWidget(clearOwn_);
    top->addLayout(bottom);

    // The keys step wherever the focus is in the view.
    auto key = [this](const QKeySequence& seq, auto f) {
        auto* s = new QShortcut(seq, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, f);
    };
    key(QKeySequence(Qt::Key_Right), [this] { setPosition(position_ + 1); });
    key(QKeySequence(Qt::Key_Left), [this] { setPosition(position_ - 1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Right), [this] { jumpToHardStep(true); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Left), [this] { jumpToHardStep(false); });
    key(QKeySequence(Qt::Key_PageDown), [this] { setPosition(position_ + 10); });
    key(QKeySequence(Qt::Key_PageUp), [this] { setPosition(position_ - 10); });
    key(QKeySequence(Qt::Key_Home), [this] { setPosition(0); });
    key(QKeySequence(Qt::Key_End), [this] { setPosition(stepCount()); });
    key(QKeySequence::ZoomIn, [this] { zoomBy(1); });
    key(QKeySequence::ZoomOut, [this] { zoomBy(-1); });
    // The window's own commands work here as well.
    addAction(gradeAction_);
    addAction(hintAction_);
}

void PathView::zoomBy(int steps)
{
    // About a fifth of the size per step, at least a pixel.
    int cs = field_->cellSize();
    for (int i = 0; i < std::abs(steps); ++i) cs += (steps > 0 ? 1 : -1) * std::max(1, cs / 5);
    field_->setCellSize(cs);
}

void PathView::showGrade(FieldGrade grade)
{
    grade_ = std::move(grade);
    hasPath_ = true;
    pic_.clues = grade_.clues;
    const size_t n = pic_.clues.clues.size();
    decidedAt_.assign(n, -1);
    const auto& steps = grade_.path.steps;
    for (size_t s = 0; s < steps.size(); ++s)
        for (int i : steps[s].cells)
            if (decidedAt_[static_cast<size_t>(i)] < 0) decidedAt_[static_cast<size_t>(i)] = static_cast<int>(s);
    // A path that ends in a contradiction: the clue that cannot be met there.
    brokenAtEnd_ = grade_.path.contradiction ? grade_.path.brokenClue : -1;

    QString text = QString::fromStdString(gradeSummary(grade_)).toHtmlEscaped();
    const int eol = text.indexOf(QLatin1Char('\n'));
    text = QStringLiteral("<b>%1</b>%2").arg(text.left(eol), eol < 0 ? QString() : text.mid(eol));
    summary_->setText(text.replace(QLatin1Char('\n'), QStringLiteral("<br>")));
    QString notice;
    if (grade_.path.contradiction) {
        notice = QStringLiteral("Числа противоречат друг другу");
        if (brokenAtEnd_ >= 0) notice += QStringLiteral(": число в %1 не сходится").arg(cellName(brokenAtEnd_, pic_.clues.rows));
    } else if (!grade_.path.solved) {
        notice = QString::fromStdString(gradeText(Grade::NeedsTrial));
        if (grade_.answers == Answers::One) notice += QStringLiteral(": перебор находит единственный ответ");
        else if (grade_.answers == Answers::Several) notice += QStringLiteral(": ответов несколько");
        else if (grade_.answers == Answers::None) notice += QStringLiteral(": ответа нет");
    }
    notice_->setText(notice);
    notice_->setVisible(!notice.isEmpty());
    answerButton_->setVisible(!grade_.path.solved && grade_.answers == Answers::One);
    {
        const QSignalBlocker block(answerButton_);
        answerButton_->setChecked(false);
    }
    answerShown_ = false;
    resetOwn();
    stale_ = false;
    staleBox_->hide();
    navigation_->setVisible(true);
    position_ = -1;
    present();
    setPosition(0);
}

void PathView::present()
{
    revision_ = ws_.doc.field().revision();
    const bool first = !isVisible();
    show();
    raise();
    activateWindow();
    field_->pictureChanged();
    if (first) field_->setCellSize(std::clamp(field_->fittingCellSize(), 14, 32));
    field_->setFocus(); // the keys step, and no button takes a stray Space
    watch_->start();
}

void PathView::showClues(ClueSet clues)
{
    grade_ = FieldGrade{};
    grade_.clues = std::move(clues);
    hasPath_ = false;
    pic_.clues = grade_.clues;
    decidedAt_.assign(pic_.clues.clues.size(), -1);
    brokenAtEnd_ = -1;
    summary_->setText(QStringLiteral(
        "<b>Решение вручную</b><br>«Подсказка» показывает следующий шаг от того, что уже известно."));
    notice_->hide();
    answerButton_->hide();
    answerShown_ = false;
    resetOwn();
    stale_ = false;
    staleBox_->hide();
    navigation_->setVisible(false);
    position_ = 0;
    present();
    refresh();
    updateControls();
    setReason(positionReason());
}

void PathView::dropHint()
{
    hint_.reset();
    hintBroken_ = -1;
    hintAsked_ = false;
}

void PathView::resetOwn()
{
    own_.assign(pic_.clues.clues.size(), kNoOwnMark);
    dropHint();
}

std::int8_t PathView::pathState(size_t i) const
{
    const int d = decidedAt_[i];
    if (d < 0 || d >= position_) return kCellOpen;
    return static_cast<std::int8_t>(grade_.path.steps[static_cast<size_t>(d)].filled);
}

void PathView::refresh()
{
    const size_t n = pic_.clues.clues.size();
    pic_.state.assign(n, kCellOpen);
    pic_.source.assign(n, PathPicture::Source::Open);
    pic_.level.assign(n, 0);
    const auto& steps = grade_.path.steps;
    const bool trial = answerShown_ && grade_.answer.cells.size() == n;
    for (size_t i = 0; i < n; ++i) {
        if (own_[i] != kNoOwnMark) {
            pic_.state[i] = own_[i];
            pic_.source[i] = PathPicture::Source::Own;
        } else if (const std::int8_t s = pathState(i); s != kCellOpen) {
            pic_.state[i] = s;
            pic_.source[i] = PathPicture::Source::Path;
            pic_.level[i] = static_cast<std::uint8_t>(steps[static_cast<size_t>(decidedAt_[i])].level);
        } else if (trial && decidedAt_[i] < 0) {
            pic_.state[i] = grade_.answer.cells[i] ? kCellFilled : kCellWhite;
            pic_.source[i] = PathPicture::Source::Trial;
        }
    }
    pic_.stepClues.clear();
    pic_.stepCells.clear();
    pic_.hintFill.reset();
    pic_.blockOutlines = 0;
    pic_.broken = -1;
    // A hint asked for takes the place of the path's step, also when it found nothing.
    const GradeStep* shown = nullptr;
    if (hint_) shown = &*hint_;
    else if (hintBroken_ >= 0) pic_.broken = hintBroken_;
    else if (!hintAsked_ && hasPath_ && position_ > 0) shown = &steps[static_cast<size_t>(position_ - 1)];
    if (shown) {
        pic_.stepClues = shown->clues;
        pic_.stepCells = shown->cells;
        if (hint_) pic_.hintFill = shown->filled;
        switch (shown->kind) {
        case GradeStep::Kind::OutOfReach: break;
        case GradeStep::Kind::AllFilled:
        case GradeStep::Kind::AllWhite:
        case GradeStep::Kind::Contradiction: pic_.blockOutlines = 1; break;
        case GradeStep::Kind::PairOwn:
        case GradeStep::Kind::PairShared: pic_.blockOutlines = 2; break;
        }
    }
    if (!hintAsked_ && hasPath_ && position_ == stepCount() && brokenAtEnd_ >= 0)
        pic_.broken = brokenAtEnd_;
    field_->viewport()->update();
}

void PathView::setReason(const QString& text)
{
    reason_ = text;
    reasonLabel_->setText(text);
    emit statusText(text);
}

void PathView::updateControls()
{
    const bool on = !stale_;
    {
        const QSignalBlocker block(slider_);
        slider_->setRange(0, stepCount());
        slider_->setValue(position_);
    }
    // Wide enough for the last step, so that stepping never shifts the row.
    stepLabel_->setMinimumWidth(
        stepLabel_->fontMetrics().horizontalAdvance(QStringLiteral("Шаг %1 из %1").arg(stepCount())));
    stepLabel_->setText(QStringLiteral("Шаг %1 из %2").arg(position_).arg(stepCount()));
    first_->setEnabled(on && position_ > 0);
    back_->setEnabled(on && position_ > 0);
    forward_->setEnabled(on && position_ < stepCount());
    last_->setEnabled(on && position_ < stepCount());
    slider_->setEnabled(on);
    clearOwn_->setEnabled(on && std::any_of(own_.begin(), own_.end(), [](std::int8_t s) { return s != kNoOwnMark; }));
    answerButton_->setEnabled(on);
    // The answer's colours are explained where the answer can be shown.
    trialLegend_->setVisible(answerButton_->isVisibleTo(this));
    trialIcon_->setVisible(answerButton_->isVisibleTo(this));
    trialLegend_->setEnabled(answerShown_);
    trialIcon_->setEnabled(answerShown_);
}

void PathView::setPosition(int steps)
{
    if (!hasPath_ || stale()) return;
    steps = std::clamp(steps, 0, stepCount());
    if (steps == position_ && !hintAsked_) return;
    position_ = steps;
    dropHint();
    refresh();
    updateControls();
    setReason(positionReason());
    if (position_ == 0) return;
    const GradeStep& step = grade_.path.steps[static_cast<size_t>(position_ - 1)];
    std::vector<int> around = step.cells;
    around.insert(around.end(), step.clues.begin(), step.clues.end());
    field_->bringIntoView(around);
}

void PathView::jumpToHardStep(bool forward)
{
    if (!hasPath_) return;
    const auto& steps = grade_.path.steps;
    // Position n shows step n - 1.
    if (forward) {
        for (int n = position_ + 1; n <= stepCount(); ++n)
            if (steps[static_cast<size_t>(n - 1)].level > 1) return setPosition(n);
    } else {
        for (int n = position_ - 1; n >= 1; --n)
            if (steps[static_cast<size_t>(n - 1)].level > 1) return setPosition(n);
    }
}

QString PathView::positionReason() const
{
    if (!hasPath_) return QStringLiteral("Решайте сами: «Подсказка» покажет следующий шаг");
    if (position_ == 0) return QStringLiteral("Начало: ни одна клетка не известна");
    const GradeStep& step = grade_.path.steps[static_cast<size_t>(position_ - 1)];
    QString text = QStringLiteral("Шаг %1, уровень %2: %3")
                       .arg(position_)
                       .arg(step.level)
                       .arg(QString::fromStdString(stepReason(step, pic_.clues)));
    if (position_ == stepCount() && brokenAtEnd_ >= 0)
        text += QStringLiteral(". ") + contradictionText(brokenAtEnd_, pic_.clues.rows);
    else if (position_ == stepCount() && !grade_.path.solved)
        text += QStringLiteral(". Дальше без перебора не решить");
    return text;
}

void PathView::cycleCell(int index, bool forward)
{
    if (stale() || index < 0 || static_cast<size_t>(index) >= own_.size()) return;
    const size_t i = static_cast<size_t>(index);
    const std::int8_t now = own_[i] != kNoOwnMark ? own_[i] : pathState(i);
    std::int8_t next = kCellOpen;
    if (now == kCellOpen) next = forward ? kCellFilled : kCellWhite;
    else if (now == kCellFilled) next = forward ? kCellWhite : kCellOpen;
    else next = forward ? kCellOpen : kCellFilled;
    // A mark that says what the path says at this step is no mark of the author's.
    own_[i] = next == pathState(i) ? kNoOwnMark : next;
    const bool hadHint = hintAsked_;
    dropHint();
    refresh();
    updateControls();
    if (hadHint) setReason(positionReason());
}

void PathView::clearOwnMarks()
{
    if (stale()) return;
    resetOwn();
    refresh();
    updateControls();
}

void PathView::setAnswerShown(bool on)
{
    if (stale() || on == answerShown_) return;
    answerShown_ = on;
    {
        const QSignalBlocker block(answerButton_);
        answerButton_->setChecked(on);
    }
    // The answer fills what the path leaves open at its end.
    if (on && position_ < stepCount()) setPosition(stepCount());
    refresh();
    updateControls();
}

void PathView::hint()
{
    if (stale() || pic_.clues.clues.empty()) return;
    // What is known: the path's cells at this step and the author's marks,
    // not the answer of the trial.
    std::vector<std::int8_t> st(pic_.clues.clues.size(), kCellOpen);
    for (size_t i = 0; i < st.size(); ++i) st[i] = own_[i] != kNoOwnMark ? own_[i] : pathState(i);
    dropHint();
    hintAsked_ = true;
    // A state that breaks a clue gives no step, and names the clue.
    int brokenCell = -1;
    hint_ = nextGradeStep(pic_.clues, st, kTopGradeLevel, &hintBroken_, &brokenCell);
    refresh();
    updateControls();
    const int rows = pic_.clues.rows;
    if (hintBroken_ >= 0) {
        setReason(contradictionText(hintBroken_, rows));
        field_->bringIntoView({hintBroken_});
    } else if (brokenCell >= 0) {
        setReason(QStringLiteral("Противоречие: клетка %1 вне всех чисел, она белая").arg(cellName(brokenCell, rows)));
        field_->bringIntoView({brokenCell});
    } else if (hint_) {
        setReason(QStringLiteral("Подсказка, уровень %1: %2")
                      .arg(hint_->level)
                      .arg(QString::fromStdString(stepReason(*hint_, pic_.clues))));
        std::vector<int> around = hint_->cells;
        around.insert(around.end(), hint_->clues.begin(), hint_->clues.end());
        field_->bringIntoView(around);
    } else if (std::none_of(st.begin(), st.end(), [](std::int8_t s) { return s == kCellOpen; })) {
        setReason(QStringLiteral("Все клетки известны, числа сходятся"));
    } else {
        setReason(QStringLiteral("Дальше без перебора не решить"));
    }
}

QString PathView::reason() const
{
    return reason_;
}

QString PathView::stepText() const
{
    return stepLabel_->text();
}

QString PathView::summary() const
{
    return summary_->text();
}

bool PathView::stale()
{
    checkField();
    return stale_;
}

void PathView::checkField()
{
    if (stale_ || !isVisible()) return;
    const Field& f = ws_.doc.field();
    if (f.revision() == revision_) return;
    revision_ = f.revision();
    // Only the clues matter: a changed fill (or hidden answers) leaves the path as it is.
    try {
        const ClueSet now = cluesOnField(f);
        if (now.cols == pic_.clues.cols && now.rows == pic_.clues.rows && now.clues == pic_.clues.clues) return;
    } catch (...) {
        // A field whose numbers cannot be read is no field for this path either.
    }
    setStale(true);
}

void PathView::setStale(bool stale)
{
    clear();
    stale_ = stale;
    staleBox_->setVisible(stale);
    updateControls();
}

void PathView::clear()
{
    watch_->stop();
    grade_ = FieldGrade{};
    hasPath_ = false;
    pic_ = PathPicture{};
    decidedAt_.clear();
    own_.clear();
    dropHint();
    brokenAtEnd_ = -1;
    position_ = 0;
    answerShown_ = false;
    summary_->clear();
    notice_->hide();
    answerButton_->hide();
    field_->pictureChanged();
    setReason(QString());
}

void PathView::fieldChanged()
{
    checkField();
}

void PathView::modifiedChanged(bool)
{
    checkField();
}

void PathView::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    if (e->spontaneous()) return; // minimized: still there
    QSettings().setValue(QStringLiteral("PathView/Geometry"), saveGeometry());
    // Closed: nothing of it stays on the screen, and nothing is kept for later.
    setStale(false);
}

} // namespace klt
