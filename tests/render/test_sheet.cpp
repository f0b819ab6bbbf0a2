// Print sheets: which page every picture lands on, where it sits in its
// slot, and the PDF file as written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/workspace.h"
#include "render/sheet.h"

using namespace klt;

namespace {

// An A4 page at 300 dpi less 10 mm margins.
const QSizeF kPage(2244, 3272);
constexpr qreal kTitle = 60;

std::vector<int> pagesOf(const std::vector<SheetSlot>& places)
{
    std::vector<int> pages;
    for (const SheetSlot& s : places) pages.push_back(s.page);
    return pages;
}

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

} // namespace

TEST(SheetLayout, PagesOfTasksAndAnswers)
{
    struct Case {
        int pictures, perPage;
        bool answers;
        std::vector<int> pages;
    } cases[] = {
        {1, 1, false, {0}},
        {1, 1, true, {0, 1}},
        {5, 4, false, {0, 0, 0, 0, 1}},
        {5, 4, true, {0, 0, 0, 0, 1, 2, 2, 2, 2, 3}},
        // The last task page has room left; the answers still start afresh.
        {3, 4, true, {0, 0, 0, 1, 1, 1}},
        {2, 16, true, {0, 0, 1, 1}},
        {0, 4, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pictures << " at " << c.perPage << (c.answers ? " with answers" : ""));
        const auto places = layoutSheet(std::vector<QSize>(static_cast<size_t>(c.pictures), QSize(100, 100)), c.perPage,
                                       c.answers, kPage, kTitle);
        EXPECT_EQ(pagesOf(places), c.pages);
        for (size_t i = 0; i < places.size(); ++i) {
            EXPECT_EQ(places[i].entry, static_cast<int>(i) % c.pictures);
            EXPECT_EQ(places[i].answer, static_cast<int>(i) >= c.pictures);
        }
    }
}

TEST(SheetLayout, GridFollowsThePage)
{
    struct Case {
        int perPage;
        QSizeF page;
        QSize grid; // columns × rows
    } cases[] = {
        {1, kPage, {1, 1}}, {2, kPage, {1, 2}}, {4, kPage, {2, 2}},      {5, kPage, {2, 3}},
        {6, kPage, {2, 3}}, {9, kPage, {3, 3}}, {16, kPage, {4, 4}},     {2, kPage.transposed(), {2, 1}},
        {0, kPage, {1, 1}},
    };
    for (const Case& c : cases) EXPECT_EQ(sheetGrid(c.perPage, c.page), c.grid) << c.perPage;
}

// Every slot of a page lies on the page apart from the others; every picture
// keeps its shape, fills its slot one way, stays inside it and sits centred
// with its title just above.
TEST(SheetLayout, PicturesFitTheirSlots)
{
    const std::vector<QSize> sizes = {{2000, 100}, {100, 2000}, {45, 45}, {260, 212}, {25020, 320}, {30, 5000}};
    for (int perPage : {1, 2, 4, 6, 9}) {
        for (bool landscape : {false, true}) {
            const QSizeF page = landscape ? kPage.transposed() : kPage;
            const auto places = layoutSheet(sizes, perPage, true, page, kTitle);
            ASSERT_EQ(places.size(), 2 * sizes.size());
            for (size_t i = 0; i < places.size(); ++i) {
                const SheetSlot& s = places[i];
                const QSize size = sizes[static_cast<size_t>(s.entry)];
                SCOPED_TRACE(testing::Message() << perPage << " a page" << (landscape ? " landscape" : "") << ", picture "
                                                << size.width() << "x" << size.height() << (s.answer ? " answer" : ""));
                const QRectF grown = s.slot.adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
                EXPECT_TRUE(QRectF(QPointF(0, 0), page).adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(s.slot));
                EXPECT_TRUE(grown.contains(s.picture));
                EXPECT_TRUE(grown.contains(s.title));
                EXPECT_NEAR(s.picture.width() / s.picture.height(), qreal(size.width()) / size.height(),
                            1e-9 * size.width() / size.height());
                EXPECT_TRUE(qFuzzyCompare(s.picture.width(), s.slot.width()) ||
                            qFuzzyCompare(s.picture.height(), s.slot.height() - kTitle));
                EXPECT_NEAR(s.picture.left() - s.slot.left(), s.slot.right() - s.picture.right(), 1e-6);
                EXPECT_NEAR(s.title.top() - s.slot.top(), s.slot.bottom() - s.picture.bottom(), 1e-6);
                EXPECT_NEAR(s.title.bottom(), s.picture.top(), 1e-6);
                EXPECT_NEAR(s.title.height(), kTitle, 1e-9);
                for (size_t j = 0; j < i; ++j) {
                    if (places[j].page == s.page) {
                        EXPECT_FALSE(places[j].slot.intersects(s.slot)) << "slot " << j;
                    }
                }
            }
        }
    }
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
