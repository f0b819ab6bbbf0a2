#include "render/sheet.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "core/workspace.h"
#include "render/pictureexport.h"
#include "render/puzzlepicture.h"

namespace klt {

namespace {

constexpr int kPdfDpi = 300;
constexpr qreal kPdfMarginMm = 10;
constexpr qreal kTitlePoints = 10;

// The picture is drawn in screen pixels and scaled to its slot. Its fonts
// are given in points, which a painter turns into pixels by the device's
// resolution, not the screen's: resized for the device, they keep the size
// they have against the cells on the screen.
PictureStyle styleForDevice(PictureStyle style, int screenDpi, int deviceDpi)
{
    for (QFont* f : {&style.numberFont, &style.letterFont}) {
        if (f->pointSizeF() > 0 && deviceDpi > 0) f->setPointSizeF(f->pointSizeF() * screenDpi / deviceDpi);
    }
    return style;
}

QFont titleFont()
{
    QFont f;
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(kTitlePoints);
    return f;
}

} // namespace

QSize sheetGrid(int perPage, QSizeF pageSize)
{
    const int n = std::max(1, perPage);
    int cols = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    int rows = (n + cols - 1) / cols;
    // cols >= rows here; a portrait page takes more rows than columns.
    if (pageSize.height() > pageSize.width()) std::swap(cols, rows);
    return {cols, rows};
}

std::vector<SheetSlot> layoutSheet(const std::vector<QSize>& pictureSizes, int perPage, bool answers,
                                   QSizeF pageSize, qreal titleHeight)
{
    const int n = static_cast<int>(pictureSizes.size());
    const int per = std::max(1, perPage);
    const QSize grid = sheetGrid(per, pageSize);
    // A title line between neighbouring slots keeps pictures and titles apart.
    const qreal gap = titleHeight;
    const qreal slotW = std::max<qreal>(0, (pageSize.width() - gap * (grid.width() - 1)) / grid.width());
    const qreal slotH = std::max<qreal>(0, (pageSize.height() - gap * (grid.height() - 1)) / grid.height());
    const int taskPages = (n + per - 1) / per;

    std::vector<SheetSlot> places;
    places.reserve(static_cast<size_t>(answers ? 2 * n : n));
    for (int pass = 0; pass < (answers ? 2 : 1); ++pass) {
        for (int i = 0; i < n; ++i) {
            SheetSlot s;
            s.entry = i;
            s.answer = pass == 1;
            s.page = pass * taskPages + i / per;
            const int at = i % per;
            s.slot = QRectF((at % grid.width()) * (slotW + gap), (at / grid.width()) * (slotH + gap), slotW, slotH);

            const QSize size = pictureSizes[static_cast<size_t>(i)];
            const qreal areaH = std::max<qreal>(0, slotH - titleHeight);
            qreal scale = 0;
            if (size.width() > 0 && size.height() > 0)
                scale = std::min(slotW / size.width(), areaH / size.height());
            const QSizeF shown = QSizeF(size) * scale;
            // The title and the picture together, centred in the slot.
            const qreal top = s.slot.top() + (slotH - titleHeight - shown.height()) / 2;
            s.title = QRectF(s.slot.left(), top, slotW, titleHeight);
            s.picture = QRectF(QPointF(s.slot.left() + (slotW - shown.width()) / 2, top + titleHeight), shown);
            places.push_back(s);
        }
    }
    return places;
}

void drawSheet(QPagedPaintDevice& device, const std::vector<SheetEntry>& entries, const SheetOptions& options)
{
    if (entries.empty()) return;
    QPainter p(&device);
    if (!p.isActive()) throw CommandError{"Не удалось начать рисование"};

    const QFont font = titleFont();
    const QFontMetricsF metrics(font, &device);
    std::vector<QSize> sizes;
    for (const SheetEntry& e : entries) sizes.push_back(pictureSize(e.field, e.cellSize));
    const std::vector<SheetSlot> places = layoutSheet(sizes, options.perPage, options.answers,
                                                     QSizeF(device.width(), device.height()), metrics.height() * 1.5);
    const int screenDpi = referenceScreen().dpi;

    int page = 0;
    for (const SheetSlot& s : places) {
        for (; page < s.page; ++page) {
            if (!device.newPage()) throw CommandError{"Не удалось начать новую страницу"};
        }
        const SheetEntry& e = entries[static_cast<size_t>(s.entry)];

        QString title = e.title;
        if (s.answer) title += QStringLiteral(" — ответ");
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(s.title, Qt::AlignCenter | Qt::TextSingleLine, metrics.elidedText(title, Qt::ElideMiddle, s.title.width()));

        const QSize size = sizes[static_cast<size_t>(s.entry)];
        if (s.picture.isEmpty()) continue;
        p.save();
        p.translate(s.picture.topLeft());
        p.scale(s.picture.width() / size.width(), s.picture.height() / size.height());
        PictureOptions shown;
        shown.answers = s.answer;
        renderPicture(p, e.field, e.cellSize, styleForDevice(e.style, screenDpi, device.logicalDpiY()), shown);
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
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                                      QPageLayout::Millimeter));
        pdf.setCreator(QStringLiteral("Клетомер"));
        drawSheet(pdf, entries, options);
    }
    writeWholeFile(path, buffer.data());
}

} // namespace klt
