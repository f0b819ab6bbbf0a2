// Print sheets: which page every picture lands on, where it sits in its
// slot, and the PDF file as written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <set>

#include "core/error.h"

#include "core/workspace.h"
#include "render/sheet.h"

using namespace klt;

namespace {

// An A4 page less 10 mm margins, in millimetres; a title line and a footer.
const QSizeF kArea(190, 277);
constexpr qreal kTitle = 6, kFooter = 7;

// Pages of a PDF file: page objects, not the page tree.
int pdfPageCount(const QByteArray& pdf)
{
    int count = 0;
    const QByteArray key = "/Type /Page";
    for (qsizetype at = pdf.indexOf(key); at >= 0; at = pdf.indexOf(key, at + 1)) {
        if (at + key.size() >= pdf.size() || pdf[at + key.size()] != 's') ++count;
    }
    return count;
}

Field puzzle(int cols, int rows)
{
    Field f(cols, rows);
    f.setText(0, 0, "-1");
    f.setText(cols - 1, rows - 1, "2");
    return f;
}

// What every layout keeps: pieces inside the area above the footer, apart
// from each other on their page, cells of the sheet's size, titles just above
// their pictures; the answers repeat the tasks' places from a fresh page.
void expectSound(const SheetLayout& l, const std::vector<SheetItem>& items, bool answers)
{
    const QRectF usable(0, 0, kArea.width(), kArea.height() - kFooter);
    const QRectF grown = usable.adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
    const size_t tasks = answers ? l.pieces.size() / 2 : l.pieces.size();
    for (size_t i = 0; i < l.pieces.size(); ++i) {
        const SheetPiece& p = l.pieces[i];
        SCOPED_TRACE(testing::Message() << "piece " << i);
        EXPECT_TRUE(grown.contains(p.picture));
        EXPECT_TRUE(grown.contains(p.title));
        EXPECT_NEAR(p.title.bottom(), p.picture.top(), 1e-9);
        const SheetItem& item = items[size_t(p.entry)];
        // The picture is its cells plus the margin of 10 picture pixels a side.
        EXPECT_NEAR(p.picture.width(), (p.cols + 20.0 / item.cellSize) * l.cellMm, 1e-6);
        EXPECT_NEAR(p.picture.height(), (p.rows + 20.0 / item.cellSize) * l.cellMm, 1e-6);
        for (size_t j = 0; j < i; ++j)
            if (l.pieces[j].page == p.page) {
                EXPECT_FALSE(l.pieces[j].picture.intersects(p.picture.united(p.title))) << "with " << j;
            }
        if (i >= tasks) {
            const SheetPiece& task = l.pieces[i - tasks];
            EXPECT_TRUE(p.answer);
            EXPECT_EQ(p.page, task.page + l.pages / 2);
            EXPECT_EQ(p.picture, task.picture);
        }
    }
}

} // namespace

TEST(SheetLayout, PuzzlesFillPagesInReadingOrderAtOneCellSize)
{
    // Twenty small puzzles of different sizes and cell sizes.
    std::vector<SheetItem> items;
    for (int i = 0; i < 20; ++i) items.push_back({8 + i % 5, 6 + i % 7, i % 2 ? 24 : 16});
    for (int perPage : {0, 4}) {
        SCOPED_TRACE(perPage);
        SheetOptions o;
        o.perPage = perPage;
        o.answers = true;
        const SheetLayout l = layoutSheet(items, o, kArea, kTitle, kFooter);
        ASSERT_EQ(l.pieces.size(), 2 * items.size());
        EXPECT_EQ(l.cellMm, 5);
        expectSound(l, items, true);
        std::map<int, int> perPageCount;
        for (size_t i = 0; i < items.size(); ++i) {
            const SheetPiece& p = l.pieces[i];
            EXPECT_EQ(p.entry, int(i));
            EXPECT_EQ(p.parts, 1);
            ++perPageCount[p.page];
            if (i == 0) continue;
            // Reading order: a later page, a lower row, or further right in the same row,
            // whose titles then share their line.
            const SheetPiece& q = l.pieces[i - 1];
            if (p.page == q.page && p.title.top() == q.title.top()) {
                EXPECT_GT(p.picture.left(), q.picture.right());
            } else if (p.page == q.page) {
                EXPECT_GE(p.title.top(), q.picture.bottom());
            } else {
                EXPECT_EQ(p.page, q.page + 1);
            }
        }
        for (const auto& [page, n] : perPageCount) {
            if (perPage > 0) {
                EXPECT_LE(n, perPage);
            }
        }
        if (perPage == 0) {
            // As many as fit: more than four a page at 5 mm.
            EXPECT_GT(perPageCount[0], 4);
        }
    }
}

TEST(SheetLayout, LargePuzzleSplitsOverPagesWithOverlap)
{
    const std::vector<SheetItem> items = {{12, 10, 24}, {250, 250, 24}, {30, 26, 24}};
    SheetOptions o;
    o.answers = true;
    const SheetLayout l = layoutSheet(items, o, kArea, kTitle, kFooter);
    expectSound(l, items, true);
    std::vector<SheetPiece> parts;
    for (const SheetPiece& p : l.pieces)
        if (p.entry == 1 && !p.answer) parts.push_back(p);
    ASSERT_GT(parts.size(), 1u);
    // Each part alone on its page, between the puzzles before and after it.
    std::set<int> pages;
    for (const SheetPiece& p : parts) {
        EXPECT_EQ(p.parts, int(parts.size()));
        EXPECT_TRUE(pages.insert(p.page).second);
        EXPECT_EQ(std::count_if(l.pieces.begin(), l.pieces.end(), [&](const SheetPiece& q) { return q.page == p.page; }), 1)
            << "page " << p.page;
    }
    EXPECT_LT(l.pieces[0].page, parts.front().page);
    EXPECT_GT(l.pieces[size_t(parts.size()) + 1].page, parts.back().page);
    // Every cell in some part; neighbouring parts share exactly one column or row.
    std::vector<int> seen(250 * 250, 0);
    for (const SheetPiece& p : parts)
        for (int c = p.firstCol; c < p.firstCol + p.cols; ++c)
            for (int r = p.firstRow; r < p.firstRow + p.rows; ++r) ++seen[size_t(c * 250 + r)];
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 0);
    std::set<int> colStarts, rowStarts;
    for (const SheetPiece& p : parts) colStarts.insert(p.firstCol), rowStarts.insert(p.firstRow);
    for (const SheetPiece& p : parts) {
        const auto next = colStarts.upper_bound(p.firstCol);
        if (next != colStarts.end()) {
            EXPECT_EQ(*next, p.firstCol + p.cols - 1);
        }
        const auto below = rowStarts.upper_bound(p.firstRow);
        if (below != rowStarts.end()) {
            EXPECT_EQ(*below, p.firstRow + p.rows - 1);
        }
    }
    EXPECT_EQ(pieceLabel(parts[0]), QStringLiteral("Лист 1 из %1: столбцы 1–%2, строки 1–%3")
                                        .arg(parts.size())
                                        .arg(parts[0].cols)
                                        .arg(parts[0].rows));
    EXPECT_EQ(pieceLabel(l.pieces[0]), QString());
}

TEST(SheetLayout, CellsNeverBelowTheMinimum)
{
    const std::vector<SheetItem> items = {{85, 47, 24}};
    SheetOptions o;
    o.cellMm = 2;
    SheetLayout l = layoutSheet(items, o, kArea, kTitle, kFooter);
    EXPECT_EQ(l.cellMm, 4);
    expectSound(l, items, false);
    // 85 columns at 4 mm do not fit 190 mm: two parts side by side.
    EXPECT_EQ(l.pieces.size(), 2u);
    o.cellMm = 150;
    EXPECT_THROW(layoutSheet(items, o, kArea, kTitle, kFooter), CommandError);
}

TEST(SheetPdf, TasksThenAnswersOnA4Pages)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<SheetEntry> entries;
    for (int i = 0; i < 5; ++i)
        entries.push_back(SheetEntry{QStringLiteral("p%1.kvt").arg(i), puzzle(5 + i, 5 + 2 * i), 24, PictureStyle{}});
    const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
    writeSheetPdf(entries, SheetOptions{4, true}, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdfPageCount(pdf), 4);
    // A4 portrait, in points.
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 595")) << pdf.left(2000).toStdString();
    // Nothing left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("sheet.pdf")});

    writeSheetPdf(entries, SheetOptions{1, false}, path);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdfPageCount(file.readAll()), 5);

    // Letter, landscape: as many as fit on one page.
    SheetOptions letter;
    letter.paper = SheetPaper::Letter;
    letter.landscape = true;
    writeSheetPdf(entries, letter, path);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray wide = file.readAll();
    EXPECT_EQ(pdfPageCount(wide), 1);
    EXPECT_TRUE(wide.contains("/MediaBox [0 0 792")) << wide.left(2000).toStdString();
}

TEST(SheetPdf, FailuresWriteNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<SheetEntry> one{SheetEntry{QStringLiteral("p.kvt"), puzzle(5, 5), 24, PictureStyle{}}};
    EXPECT_THROW(writeSheetPdf(one, SheetOptions{}, dir.filePath(QStringLiteral("no/such/dir/s.pdf"))), CommandError);
    EXPECT_THROW(writeSheetPdf({}, SheetOptions{}, dir.filePath(QStringLiteral("empty.pdf"))), CommandError);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}
