// The program's own metafiles read back by its own players: a small puzzle
// drawn by the export's writers comes back cell for cell, on the grid it was
// drawn on.
#include <QGuiApplication>
#include <gtest/gtest.h>

#include "core/field.h"
#include "core/text.h"
#include "import/emfpicture.h"
#include "import/importmodel.h"
#include "import/wmfpicture.h"
#include "render/pictureexport.h"
#include "render/puzzlepicture.h"

using namespace klt;

namespace {

struct Format {
    const char* name;
    QByteArray (Metafile::*write)() const;
    std::unique_ptr<MetafilePicture> (*player)();
};

const Format kFormats[] = {
    {"EMF", &Metafile::toEmf, [] { return std::unique_ptr<MetafilePicture>(new EmfPicture); }},
    {"WMF", &Metafile::toPlaceableWmf, [] { return std::unique_ptr<MetafilePicture>(new WmfPicture); }},
};

std::string name(QRgb c)
{
    return QColor(c).name().toStdString();
}

} // namespace

TEST(MetafileRoundTrip, CellsComeBackAsDrawn)
{
    // 5 × 3 cells, the filled ones in an irregular pattern.
    const char* rows[] = {"-..-.", ".--.-", "-...-"};
    Field field(5, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c) field.setText(c, r, rows[r][c] == '-' ? "-" : "");
    const int s = 16;
    const QRgb fill = qRgb(200, 0, 0), white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    PictureJob job{field, s, {}, {}};
    job.style.fill = QColor(fill);
    job.options.answers = true;
    job.options.numbers = false;
    const std::unique_ptr<Metafile> drawn = recordPicture(job, ReferenceScreen{96, QSize(1920, 1080)});
    const QSize size = pictureSize(field, s);

    for (const Format& f : kFormats) {
        SCOPED_TRACE(f.name);
        const std::unique_ptr<MetafilePicture> picture = f.player();
        picture->loadFromData((drawn.get()->*f.write)(), QString::fromLatin1(f.name));
        ASSERT_EQ(QSize(picture->width(), picture->height()), size);
        const QImage image = renderScaled(*picture, size.width(), size.height());

        // The margin stays white.
        EXPECT_EQ(name(image.pixel(4, 4)), name(white));
        EXPECT_EQ(name(image.pixel(size.width() - 5, size.height() - 5)), name(white));
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 5; ++c) {
                SCOPED_TRACE(testing::Message() << "cell " << c << "," << r);
                const int left = 10 + c * s, top = 10 + r * s;
                const QRgb inside = isFilledText(field.text(c, r)) ? fill : white;
                // Grid lines on the cell's edges, its colour everywhere within them.
                EXPECT_EQ(name(image.pixel(left, top + s / 2)), name(black));
                EXPECT_EQ(name(image.pixel(left + s, top + s / 2)), name(black));
                EXPECT_EQ(name(image.pixel(left + s / 2, top)), name(black));
                EXPECT_EQ(name(image.pixel(left + s / 2, top + s)), name(black));
                for (QPoint at : {QPoint(left + 1, top + 1), QPoint(left + s / 2, top + s / 2), QPoint(left + s - 1, top + s - 1)})
                    EXPECT_EQ(name(image.pixel(at)), name(inside)) << at.x() << "," << at.y();
            }
        }
    }
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
