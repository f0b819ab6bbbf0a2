#include "render/sheet.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "core/error.h"
#include "core/workspace.h"
#include "render/pictureexport.h"
#include "render/puzzlepicture.h"

namespace klt {

namespace {

constexpr int kPdfDpi = 300;
constexpr qreal kTitlePoints = 10;
constexpr qreal kGapMm = 6; // between pictures side by side, and between rows of them
constexpr qreal kPointMm = 25.4 / 72;

// Prize letters keep their font in points, which a painter turns into pixels
// by the device's resolution, not the screen's: resized for the device, they
// keep the size they have against the cells on the screen.
PictureStyle styleForDevice(PictureStyle style, int screenDpi, int deviceDpi)
{
    for (QFont* f : {&style.numberFont, &style.letterFont}) {
        if (f->pointSizeF() > 0 && deviceDpi > 0) f->setPointSizeF(f->pointSizeF() * screenDpi / deviceDpi);
    }
    return style;
}

QFont sheetFont()
{
    QFont f;
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(kTitlePoints);
    return f;
}

// The parts of one extent: starts of windows of at most `fit` cells that
// overlap by one.
std::vector<int> partStarts(int extent, int fit)
{
    std::vector<int> starts{0};
    if (extent <= fit) return starts;
    const int step = std::max(1, fit - 1);
    while (starts.back() + fit < extent) starts.push_back(starts.back() + step);
    return starts;
}

// The picture of a part, in millimetres: the cells at the sheet's size and
// the picture's margin in proportion.
QSizeF pictureMm(int cols, int rows, int cellSize, qreal cellMm)
{
    const QSize px = QSize(cols * cellSize + 20, rows * cellSize + 20);
    return QSizeF(px) * (cellMm / cellSize);
}

} // namespace

QString pieceLabel(const SheetPiece& p)
{
    if (p.parts <= 1) return {};
    return QStringLiteral("Лист %1 из %2: столбцы %3–%4, строки %5–%6")
        .arg(p.part)
        .arg(p.parts)
        .arg(p.firstCol + 1)
        .arg(p.firstCol + p.cols)
        .arg(p.firstRow + 1)
        .arg(p.firstRow + p.rows);
}

SheetLayout layoutSheet(const std::vector<SheetItem>& items, const SheetOptions& options, QSizeF areaMm, qreal titleMm,
                        qreal footerMm)
{
    SheetLayout out;
    out.cellMm = std::max(options.cellMm, options.minCellMm);
    const qreal c = out.cellMm;
    const qreal usableH = areaMm.height() - footerMm;
    out.footer = QRectF(0, usableH, areaMm.width(), footerMm);
    const int perPage = options.perPage > 0 ? options.perPage : 1 << 30;

    // The pieces of the task pages, placed in rows (shelves) from the top.
    std::vector<SheetPiece> tasks;
    int page = 0, onPage = 0;
    qreal y = 0, shelfH = 0, x = 0;
    size_t shelfStart = 0;
    // A finished row of pictures is centred across the page.
    auto closeShelf = [&] {
        const qreal shift = std::max<qreal>(0, (areaMm.width() - (x - kGapMm)) / 2);
        for (size_t i = shelfStart; i < tasks.size(); ++i) {
            tasks[i].title.translate(shift, 0);
            tasks[i].picture.translate(shift, 0);
        }
        shelfStart = tasks.size();
    };
    auto newPage = [&] {
        closeShelf();
        ++page;
        onPage = 0;
        x = y = shelfH = 0;
    };
    for (size_t i = 0; i < items.size(); ++i) {
        const SheetItem& item = items[i];
        const int cellSize = std::max(1, item.cellSize);
        // How many cells a page takes at most, margin included.
        const int fitCols = static_cast<int>(std::floor((areaMm.width() * cellSize / c - 20) / cellSize + 1e-9));
        const int fitRows = static_cast<int>(std::floor(((usableH - titleMm) * cellSize / c - 20) / cellSize + 1e-9));
        if (fitCols < 2 || fitRows < 2)
            throw CommandError{"Клетка в " + QString::number(c, 'g', 3).toStdString() + " мм не помещается на странице"};
        const std::vector<int> colStarts = partStarts(item.cols, fitCols), rowStarts = partStarts(item.rows, fitRows);
        const int parts = static_cast<int>(colStarts.size() * rowStarts.size());
        int part = 0;
        for (int r0 : rowStarts)
            for (int c0 : colStarts) {
                SheetPiece p;
                p.entry = static_cast<int>(i);
                p.firstCol = c0;
                p.firstRow = r0;
                p.cols = std::min(fitCols, item.cols - c0);
                p.rows = std::min(fitRows, item.rows - r0);
                p.part = ++part;
                p.parts = parts;
                const QSizeF size = pictureMm(p.cols, p.rows, cellSize, c);
                // A part of a split puzzle has a page of its own.
                const bool alone = parts > 1;
                if (onPage > 0 && (alone || onPage >= perPage)) newPage();
                if (x > 0 && x + size.width() > areaMm.width()) {
                    // The next row of pictures.
                    closeShelf();
                    y += shelfH + kGapMm;
                    x = shelfH = 0;
                }
                if (onPage > 0 && y + titleMm + size.height() > usableH) newPage();
                p.page = page;
                p.title = QRectF(x, y, size.width(), titleMm);
                p.picture = QRectF(QPointF(x, y + titleMm), size);
                tasks.push_back(p);
                ++onPage;
                x += size.width() + kGapMm;
                shelfH = std::max(shelfH, titleMm + size.height());
                if (alone) newPage();
            }
    }
    closeShelf();
    const int taskPages = tasks.empty() ? 0 : tasks.back().page + 1;
    out.pieces = tasks;
    if (options.answers)
        for (SheetPiece p : tasks) {
            p.answer = true;
            p.page += taskPages;
            out.pieces.push_back(p);
        }
    out.pages = options.answers ? 2 * taskPages : taskPages;
    return out;
}

void drawSheet(QPagedPaintDevice& device, const std::vector<SheetEntry>& entries, const SheetOptions& options)
{
    if (entries.empty()) return;
    QPainter p(&device);
    if (!p.isActive()) throw CommandError{"Не удалось начать рисование"};

    // Millimetres on the device: its printable area in both units.
    const QRectF areaMm = device.pageLayout().paintRect(QPageLayout::Millimeter);
    const qreal unit = areaMm.width() > 0 ? device.width() / areaMm.width() : 1;
    const QFont font = sheetFont();
    const QFontMetricsF metrics(font, &device);
    const qreal lineMm = metrics.height() / unit;
    std::vector<SheetItem> items;
    for (const SheetEntry& e : entries) items.push_back({e.field.colCount(), e.field.rowCount(), e.cellSize});
    const SheetLayout layout = layoutSheet(items, options, QSizeF(device.width(), device.height()) / unit, lineMm * 1.6,
                                           lineMm * 1.8);
    const int screenDpi = referenceScreen().dpi;
    auto toDevice = [&](const QRectF& mm) { return QRectF(mm.topLeft() * unit, mm.size() * unit); };

    auto footer = [&](int page) {
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(toDevice(layout.footer), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                   QStringLiteral("Страница %1 из %2").arg(page + 1).arg(layout.pages));
    };
    int page = 0;
    footer(0);
    for (const SheetPiece& s : layout.pieces) {
        for (; page < s.page; ++page) {
            if (!device.newPage()) throw CommandError{"Не удалось начать новую страницу"};
            footer(page + 1);
        }
        const SheetEntry& e = entries[static_cast<size_t>(s.entry)];

        QString title = e.title;
        if (s.answer) title += QStringLiteral(" — ответ");
        if (s.parts > 1) title += QStringLiteral(" — ") + pieceLabel(s);
        p.setFont(font);
        p.setPen(Qt::black);
        // Titles of one row share their baseline: each sits at the bottom of
        // its line, which starts where the row does.
        const QRectF titleRect = toDevice(s.title).adjusted(0, 0, 0, -metrics.descent() * 0.5);
        const qreal width = std::max(titleRect.width(), metrics.horizontalAdvance(QStringLiteral("M")) * 12);
        const QRectF shown(titleRect.center().x() - width / 2, titleRect.top(), width, titleRect.height());
        p.drawText(shown, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                   metrics.elidedText(title, Qt::ElideMiddle, shown.width()));

        Field part(s.cols, s.rows);
        for (int c = 0; c < s.cols; ++c)
            for (int r = 0; r < s.rows; ++r) part.setText(c, r, e.field.text(s.firstCol + c, s.firstRow + r));
        const QSize size = pictureSize(part, e.cellSize);
        const QRectF target = toDevice(s.picture);
        p.save();
        p.translate(target.topLeft());
        p.scale(target.width() / size.width(), target.height() / size.height());
        PictureOptions shownOptions;
        shownOptions.answers = s.answer;
        shownOptions.digitPercent = options.digitPercent;
        renderPicture(p, part, e.cellSize, styleForDevice(e.style, screenDpi, device.logicalDpiY()), shownOptions);
        p.restore();
    }
}

void writeSheetPdf(const std::vector<SheetEntry>& entries, const SheetOptions& options, const QString& path)
{
    if (entries.empty()) throw CommandError{"Нет головоломок для листа"};
    // Drawn whole first, so that a failure to draw leaves no file behind.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(kPdfDpi);
        const QPageSize paper(options.paper == SheetPaper::Letter ? QPageSize::Letter : QPageSize::A4);
        const qreal m = options.marginMm;
        pdf.setPageLayout(QPageLayout(paper, options.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(m, m, m, m), QPageLayout::Millimeter));
        pdf.setCreator(QStringLiteral("Клетомер"));
        drawSheet(pdf, entries, options);
    }
    writeWholeFile(path, buffer.data());
}

} // namespace klt
