// Bitmaps written band by band: the same pixels as the whole bitmap, and a
// clear refusal above the format's limit.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "core/error.h"
#include "render/pictureexport.h"
#include "render/rasterbands.h"

using namespace klt;

namespace {

// Clues, fills and a prize letter across several bands of rows.
Field field(int cols, int rows)
{
    Field f(cols, rows);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            if ((c * 7 + r * 3) % 5 == 0) f.setText(c, r, "-");
            if ((c + 2 * r) % 4 == 0) f.setText(c, r, (c * 7 + r * 3) % 5 == 0 ? "-3" : "5");
        }
    f.setText(1, 1, "\xC0"); // a letter
    return f;
}

} // namespace

TEST(RasterBands, SamePixelsAsTheWholeBitmap)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Field f = field(41, 29);
    for (bool answers : {false, true}) {
        PictureJob job{f, 24, PictureStyle{}, PictureOptions{}};
        job.options.answers = answers;
        job.options.digitPercent = answers ? 0 : 60;
        job.style.fill = QColor(20, 90, 200);
        const QImage whole = rasterPicture(job).convertToFormat(QImage::Format_RGB32);
        ASSERT_GT(whole.height(), 512); // three bands at least
        for (ExportFormat format : {ExportFormat::Png, ExportFormat::Bmp}) {
            SCOPED_TRACE(testing::Message() << (format == ExportFormat::Png ? "png" : "bmp") << (answers ? " answers" : ""));
            const QString path = dir.filePath(format == ExportFormat::Png ? QStringLiteral("p.png") : QStringLiteral("p.bmp"));
            int lastDone = 0, total = 0;
            writeRasterInBands(job, format, path, referenceScreen(), [&](int done, int all) {
                EXPECT_GT(done, lastDone);
                lastDone = done;
                total = all;
            });
            EXPECT_EQ(lastDone, whole.height());
            EXPECT_EQ(total, whole.height());
            QImage read(path);
            ASSERT_FALSE(read.isNull());
            EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), whole);
        }
    }
    // Nothing left beside the files.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(RasterBands, BmpAboveFourGigabytesIsRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Field f(1024, 1024);
    PictureJob job{f, 100, PictureStyle{}, PictureOptions{}};
    const QString path = dir.filePath(QStringLiteral("big.bmp"));
    try {
        writeRasterInBands(job, ExportFormat::Bmp, path, referenceScreen());
        ADD_FAILURE() << "no refusal";
    } catch (const CommandError& e) {
        EXPECT_NE(e.message.find("BMP"), std::string::npos) << e.message;
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(LargePictures, PdfPageOfAHugeFieldIsScaledTo200Inches)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Field f(250, 250);
    PictureJob job{f, 100, PictureStyle{}, PictureOptions{}};
    const QString path = dir.filePath(QStringLiteral("big.pdf"));
    writePictureFile(job, ExportFormat::Pdf, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 14400")) << pdf.left(1500).toStdString();
    // A field that fits keeps its size: 30 cells of 24 pixels at 96 dpi.
    const Field small(30, 30);
    writePictureFile(PictureJob{small, 24, PictureStyle{}, PictureOptions{}}, ExportFormat::Pdf, path);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("/MediaBox [0 0 555")); // (30 * 24 + 20) * 72 / 96
}
