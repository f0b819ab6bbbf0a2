// The picture formats of the import: one real file per format family read
// through the registry (size and known pixels), broken and hostile files.
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include "import/gdiplayer.h"
#include "import/importmodel.h"
#include "import/importpictures.h"
#include "import/picture.h"
#include "samples.h"

using namespace klt;

class DecoderTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void readsEachFormat_data();
    void readsEachFormat();
    void everyImportExtensionIsRegistered();
    void iconsComeOutOnWhite();
    void emfMappingModesAndText();
    void brokenFilesGiveAnError_data();
    void brokenFilesGiveAnError();
    void hugePicturesAreRefusedBeforeDecoding_data();
    void hugePicturesAreRefusedBeforeDecoding();
    void whatQtCannotReadImageMagickDoes_data();
    void whatQtCannotReadImageMagickDoes();
    void metafilesAtTheLimits_data();
    void metafilesAtTheLimits();
    void clipsAreSavedAndRestored();
    void readsFixtureFiles_data();
    void readsFixtureFiles();
    void savedStatesAreBounded();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QTemporaryDir dir_;
};

void DecoderTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    registerImportPictures();
}

QString DecoderTest::write(const QString& name, const QByteArray& bytes)
{
    const QString path = dir_.filePath(name);
    if (!samples::writeFile(path, bytes)) qFatal("cannot write %s", qPrintable(path));
    return path;
}

namespace {

int colourDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

QImage greyImage()
{
    return samples::colourImage().convertToFormat(QImage::Format_Grayscale8);
}

QImage monoImage()
{
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setPixel(1, 1, qRgb(0, 0, 0));
    return img;
}

} // namespace

void DecoderTest::readsEachFormat_data()
{
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("at1");
    QTest::addColumn<QColor>("colour1");
    QTest::addColumn<QPoint>("at2");
    QTest::addColumn<QColor>("colour2");
    QTest::addColumn<int>("tolerance");

    using namespace samples;
    const QImage colour = colourImage(), lossy = lossyImage();
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), white(255, 255, 255), black(0, 0, 0);
    const QSize small(8, 6), big(32, 24);
    const QPoint tl(0, 0), br(7, 5), left(4, 12), right(28, 12);
    auto exact = [&](const char* name, const char* ext, const QByteArray& bytes) {
        QTest::newRow(name) << ext << bytes << small << tl << green << br << blue << 0;
    };
    auto approx = [&](const char* name, const char* ext, const QByteArray& bytes) {
        QTest::newRow(name) << ext << bytes << big << left << red << right << blue << 48;
    };
    // Qt's readers.
    exact("bmp", "bmp", qtFile(colour, "bmp"));
    exact("dib is a bitmap", "dib", qtFile(colour, "bmp"));
    QTest::newRow("rle is a run-length bitmap") << "rle" << rle8Bmp() << QSize(4, 2) << QPoint(0, 0) << red
                                                << QPoint(3, 1) << white << 0;
    exact("png", "png", qtFile(colour, "png"));
    approx("webp", "webp", qtFile(lossy, "webp"));
    approx("jpg", "jpg", qtFile(lossy, "jpeg"));
    approx("jpeg", "jpeg", qtFile(lossy, "jpeg"));
    exact("gif", "gif", magickFile(colour, "GIF"));
    exact("tif", "tif", qtFile(colour, "tiff"));
    exact("tiff", "tiff", qtFile(colour, "tiff"));
    exact("ppm", "ppm", qtFile(colour, "ppm"));
    QTest::newRow("pgm") << "pgm" << qtFile(greyImage(), "pgm") << small << tl << QColor(greyImage().pixel(0, 0))
                         << br << QColor(greyImage().pixel(7, 5)) << 0;
    QTest::newRow("pbm") << "pbm" << qtFile(monoImage(), "pbm") << small << QPoint(1, 1) << black << QPoint(2, 2)
                         << white << 0;
    // Targa: plain files through Qt, run-length ones through ImageMagick, all aliases alike.
    exact("tga", "tga", magickFile(colour, "TGA"));
    exact("vst, run-length", "vst", magickFile(colour, "TGA", true));
    exact("icb", "icb", magickFile(colour, "TGA", true));
    exact("vda", "vda", magickFile(colour, "TGA"));
    exact("win", "win", magickFile(colour, "TGA"));
    // ImageMagick's readers.
    exact("psd", "psd", magickFile(colour, "PSD"));
    exact("pdd is Photoshop", "pdd", magickFile(colour, "PSD"));
    exact("pcx", "pcx", magickFile(colour, "PCX"));
    exact("pcc is PCX", "pcc", magickFile(colour, "PCX"));
    exact("scr is PCX", "scr", magickFile(colour, "PCX"));
    exact("sgi", "sgi", magickFile(colour, "SGI"));
    exact("rgb is SGI", "rgb", magickFile(colour, "SGI"));
    exact("rgba is SGI", "rgba", magickFile(colour, "SGI"));
    QTest::newRow("bw is SGI") << "bw" << magickFile(greyImage(), "SGI") << small << tl
                               << QColor(greyImage().pixel(0, 0)) << br << QColor(greyImage().pixel(7, 5)) << 0;
    QTest::newRow("pcd") << "pcd" << photoCd() << QSize(768, 512) << QPoint(100, 256) << red << QPoint(668, 256)
                         << blue << 80;
    QTest::newRow("rla") << "rla" << rlaFile() << QSize(6, 4) << QPoint(0, 0) << blue << QPoint(5, 3) << red << 0;
    QTest::newRow("rpf is RLA") << "rpf" << rlaFile() << QSize(6, 4) << QPoint(0, 0) << blue << QPoint(5, 3) << red
                                << 0;
    QTest::newRow("cut") << "cut" << cutFile() << QSize(6, 3) << QPoint(0, 0) << QColor(10, 10, 10) << QPoint(5, 2)
                         << QColor(250, 250, 250) << 0;
    QTest::newRow("wmf") << "wmf" << wmfFile() << QSize(100, 50) << QPoint(10, 10) << red << QPoint(60, 40) << white
                         << 0;
    // Our own readers.
    QTest::newRow("cel") << "cel" << animatorCel(5, 4) << QSize(5, 4) << QPoint(1, 0) << red << QPoint(1, 1) << blue
                         << 0;
    QTest::newRow("pic is Autodesk") << "pic" << animatorCel(5, 4) << QSize(5, 4) << QPoint(0, 0) << white
                                     << QPoint(4, 3) << QColor(255, 0, 0) << 0;
    QTest::newRow("emf") << "emf" << emfFile() << QSize(100, 50) << QPoint(30, 20) << red << QPoint(80, 20) << black
                         << 0;
}

void DecoderTest::readsEachFormat()
{
    QFETCH(QString, ext);
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QFETCH(QPoint, at1);
    QFETCH(QColor, colour1);
    QFETCH(QPoint, at2);
    QFETCH(QColor, colour2);
    QFETCH(int, tolerance);
    QVERIFY(!bytes.isEmpty());
    const QString path = write(QStringLiteral("sample.") + ext.toUpper(), bytes);
    std::unique_ptr<Picture> picture;
    try {
        picture = PictureRegistry::instance().load(path);
    } catch (const PictureError& e) {
        QFAIL(qPrintable(e.text()));
    }
    QVERIFY(picture && !picture->isEmpty());
    QCOMPARE(QSize(picture->width(), picture->height()), size);
    const QImage drawn = renderScaled(*picture, size.width(), size.height());
    QVERIFY2(colourDistance(drawn.pixel(at1), colour1.rgb()) <= tolerance,
             qPrintable(QColor(drawn.pixel(at1)).name() + " at first point"));
    QVERIFY2(colourDistance(drawn.pixel(at2), colour2.rgb()) <= tolerance,
             qPrintable(QColor(drawn.pixel(at2)).name() + " at second point"));
}

void DecoderTest::everyImportExtensionIsRegistered()
{
    QStringList missing;
    for (const QString& ext : dropExtensions())
        if (!PictureRegistry::instance().find(ext.mid(1))) missing << ext;
    for (const char* ext : {"emf", "dib", "png", "webp"})
        if (!PictureRegistry::instance().find(QLatin1String(ext))) missing << QLatin1String(ext);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
    QCOMPARE(dropExtensions().size(), 35); // the 33 of the program plus PNG and WebP
    QVERIFY(isPictureExtension(".JPEG"));
    QVERIFY(!isPictureExtension(".EMF")); // accepted by the file dialog, not by drops
    const QStringList filters = pictureNameFilters();
    QVERIFY(filters.first().startsWith("All ("));
    QVERIFY(filters.first().contains("*.cel") && filters.first().contains("*.webp"));
    QVERIFY(filters.contains("Autodesk images (*.pic)"));
}

void DecoderTest::iconsComeOutOnWhite()
{
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 6; ++x) icon.setPixel(x, y, qRgb(255, 0, 0));
    const QString path = write("icon.ico", samples::qtFile(icon, "ico"));
    auto picture = PictureRegistry::instance().load(path);
    QCOMPARE(picture->width(), 16);
    const QImage drawn = renderScaled(*picture, 32, 32);
    QCOMPARE(QColor(drawn.pixel(0, 0)), QColor(Qt::white));
    QCOMPARE(QColor(drawn.pixel(30, 30)), QColor(Qt::white));
    QCOMPARE(QColor(drawn.pixel(6, 6)), QColor(Qt::red));
}

void DecoderTest::emfMappingModesAndText()
{
    const QString path = write("metric.emf", samples::emfMetricFile());
    auto picture = PictureRegistry::instance().load(path);
    QCOMPARE(QSize(picture->width(), picture->height()), QSize(100, 50));
    const QImage drawn = renderScaled(*picture, 100, 50);
    QCOMPARE(QColor(drawn.pixel(30, 20)), QColor(Qt::red));
    QCOMPARE(QColor(drawn.pixel(10, 10)), QColor(Qt::red));
    // Without an outline the box loses its right and bottom device pixel, as in GDI.
    QCOMPARE(QColor(drawn.pixel(58, 38)), QColor(Qt::red));
    QCOMPARE(QColor(drawn.pixel(59, 39)), QColor(Qt::white));
    QCOMPARE(QColor(drawn.pixel(5, 5)), QColor(Qt::white));
    // The letter lands to the right of the rectangle, below its reference point.
    int dark = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 64; x < 100; ++x) dark += drawn.pixel(x, y) == qRgb(0, 0, 0);
    QVERIFY2(dark > 20, qPrintable(QString::number(dark)));
    // Drawn twice as large, the frame still fills the target.
    const QImage twice = renderScaled(*picture, 200, 100);
    QCOMPARE(QColor(twice.pixel(60, 40)), QColor(Qt::red));
    QCOMPARE(QColor(twice.pixel(125, 90)), QColor(Qt::white));
}

void DecoderTest::brokenFilesGiveAnError_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    using namespace samples;
    const QByteArray png = qtFile(colourImage(), "png");
    QByteArray badEmf = emfFile();
    qToLittleEndian<quint32>(6, badEmf.data() + 88 + 4); // first record after the header: size 6
    QByteArray hugeRecord = emfFile();
    qToLittleEndian<quint32>(0x7FFFFFF0, hugeRecord.data() + 88 + 4);
    QByteArray wrongMagic = animatorCel(5, 4);
    wrongMagic[0] = 0;

    QTest::newRow("png cut short") << "a.png" << png.left(png.size() - 20);
    QTest::newRow("bmp header only") << "a.bmp" << qtFile(colourImage(), "bmp").left(30);
    QTest::newRow("jpeg of zero bytes") << "a.jpg" << QByteArray();
    QTest::newRow("gif garbage") << "a.gif" << QByteArray("GIF89a\x01\x00", 8);
    QTest::newRow("pcx cut short") << "a.pcx" << magickFile(colourImage(), "PCX").left(100);
    QTest::newRow("psd garbage") << "a.psd" << QByteArray("8BPS\0\1garbage garbage garbage", 28);
    QTest::newRow("sgi of zero bytes") << "a.sgi" << QByteArray();
    QTest::newRow("rla cut short") << "a.rla" << rlaFile().left(760);
    QTest::newRow("cut with a broken line") << "a.cut" << cutFile().left(9);
    QTest::newRow("wmf garbage") << "a.wmf" << QByteArray(64, '\x7f');
    QTest::newRow("wmf cut short") << "a.wmf" << wmfFile().left(70);
    QTest::newRow("cel cut short") << "a.cel" << animatorCel(5, 4).left(810);
    QTest::newRow("cel of zero bytes") << "a.cel" << QByteArray();
    QTest::newRow("pic, not Autodesk") << "a.pic" << wrongMagic;
    QTest::newRow("emf cut short") << "a.emf" << emfFile().left(150);
    QTest::newRow("emf record of 6 bytes") << "a.emf" << badEmf;
    QTest::newRow("emf record past the end") << "a.emf" << hugeRecord;
    QTest::newRow("emf of zero bytes") << "a.emf" << QByteArray();
    QTest::newRow("unknown extension") << "a.xyz" << png;
}

void DecoderTest::brokenFilesGiveAnError()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QString path = write(name, bytes);
    try {
        auto picture = PictureRegistry::instance().load(path);
        QFAIL(qPrintable(QStringLiteral("read as %1 x %2").arg(picture->width()).arg(picture->height())));
    } catch (const PictureError& e) {
        QVERIFY(!e.text().isEmpty());
    }
}

void DecoderTest::hugePicturesAreRefusedBeforeDecoding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("saysTooLarge"); // some readers refuse such a header themselves
    using namespace samples;
    QByteArray bmp = qtFile(colourImage(), "bmp");
    qToLittleEndian<qint32>(60000, bmp.data() + 18);
    qToLittleEndian<qint32>(60000, bmp.data() + 22);
    QByteArray pcx = magickFile(colourImage(), "PCX");
    qToLittleEndian<quint16>(59999, pcx.data() + 8);  // x max
    qToLittleEndian<quint16>(59999, pcx.data() + 10); // y max
    qToLittleEndian<quint16>(60000, pcx.data() + 66); // bytes per line
    QByteArray cel = animatorCel(5, 4);
    qToLittleEndian<quint16>(65535, cel.data() + 2);
    qToLittleEndian<quint16>(65535, cel.data() + 4);
    QByteArray emf = emfFile();
    qToLittleEndian<qint32>(2000000000, emf.data() + 32); // frame right
    qToLittleEndian<qint32>(2000000000, emf.data() + 36); // frame bottom

    QTest::newRow("png 60000 x 60000") << "huge.png" << hugePng() << true;
    QTest::newRow("bmp 60000 x 60000") << "huge.bmp" << bmp << false;
    QTest::newRow("pcx 60000 x 60000") << "huge.pcx" << pcx << false;
    QTest::newRow("cel 65535 x 65535") << "huge.cel" << cel << true;
    QTest::newRow("emf of 20 km") << "huge.emf" << emf << true;
}

void DecoderTest::hugePicturesAreRefusedBeforeDecoding()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, saysTooLarge);
    const QString path = write(name, bytes);
    try {
        PictureRegistry::instance().load(path);
        QFAIL("a huge picture was read");
    } catch (const PictureError& e) {
        if (saysTooLarge) QVERIFY2(e.text().contains(QStringLiteral("слишком велик")), qPrintable(e.text()));
    }
}

void DecoderTest::whatQtCannotReadImageMagickDoes_data()
{
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QByteArray>("qtFormat");
    for (const char* e : {"tif", "bmp", "png", "ppm", "jpg"}) QTest::newRow(e) << QString::fromLatin1(e) << QByteArray(e == QByteArray("tif") ? "tiff" : e == QByteArray("jpg") ? "jpeg" : e);
}

void DecoderTest::whatQtCannotReadImageMagickDoes()
{
    QFETCH(QString, ext);
    QFETCH(QByteArray, qtFormat);
    QImage img(600, 600, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 100; y < 200; ++y)
        for (int x = 100; x < 200; ++x) img.setPixel(x, y, qRgb(0, 0, 0));
    const QString path = write(QStringLiteral("big.") + ext, samples::qtFile(img, qtFormat.constData()));
    (void)PictureRegistry::instance().load(path); // the program's limits are in place now
    // Qt's readers refuse what needs more memory than this; ImageMagick reads it.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    std::unique_ptr<Picture> picture;
    try {
        picture = PictureRegistry::instance().load(path);
    } catch (...) {
    }
    QImageReader::setAllocationLimit(limit);
    QVERIFY(picture);
    QCOMPARE(QSize(picture->width(), picture->height()), QSize(600, 600));
    const QImage drawn = renderScaled(*picture, 600, 600);
    QVERIFY(qGray(drawn.pixel(150, 150)) < 60);
    QVERIFY(qGray(drawn.pixel(400, 400)) > 200);
}

// Files found by fuzzing (tests/fuzz/corpus), each drawn at its natural
// size: the colour at a point in the red rectangle (10, 10)-(60, 40).
void DecoderTest::metafilesAtTheLimits_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QColor>("colour");
    // A relative index of INT_MIN reaches past every saved state, to the first.
    QTest::newRow("RestoreDC(INT_MIN)") << "emf/restoredc-int-min.emf" << QColor(Qt::red);
    // The object table follows the handle count, not the record count.
    QTest::newRow("record count 65536") << "emf/record-count-65536.emf" << QColor(Qt::red);
    // A full table takes no more objects; a deleted slot is the next one taken.
    QTest::newRow("full object table") << "wmf/object-table-full.wmf" << QColor(Qt::red);
    // Fonts of height and escapement INT_MIN draw without undefined arithmetic.
    QTest::newRow("font height INT_MIN") << "emf/font-height-int-min.emf" << QColor();
    QTest::newRow("escapement INT_MIN") << "emf/escapement-int-min.emf" << QColor();
}

void DecoderTest::metafilesAtTheLimits()
{
    QFETCH(QString, file);
    QFETCH(QColor, colour);
    auto picture = PictureRegistry::instance().load(QStringLiteral(KLETOMER_FUZZ_CORPUS "/") + file);
    QCOMPARE(QSize(picture->width(), picture->height()), QSize(100, 50));
    const QImage drawn = renderScaled(*picture, 100, 50);
    if (colour.isValid()) QCOMPARE(QColor(drawn.pixel(30, 20)), colour);
}

// Clipping rectangles are part of the saved state; the reset record ends them.
void DecoderTest::clipsAreSavedAndRestored()
{
    using samples::EmfRecord, samples::stockObject;
    using namespace klt::emf;
    const std::vector<EmfRecord> records = {
        {EMR_SELECTOBJECT, {stockObject(gdi::NULL_PEN)}},
        {EMR_CREATEBRUSHINDIRECT, {1, gdi::BS_SOLID, 0x000000FF, 0}}, // red brush
        {EMR_CREATEBRUSHINDIRECT, {2, gdi::BS_SOLID, 0x00FF0000, 0}}, // blue brush
        {EMR_SELECTOBJECT, {stockObject(gdi::BLACK_BRUSH)}},
        {EMR_SAVEDC, {}},                       // save 1
        {EMR_INTERSECTCLIPRECT, {0, 0, 50, 50}}, // clip to x < 50
        {EMR_SAVEDC, {}},                       // save 2
        {EMR_INTERSECTCLIPRECT, {0, 0, 25, 50}}, // clip to x < 25
        {EMR_RECTANGLE, {0, 0, 100, 50}},       // black where x < 25
        {EMR_RESTOREDC, {-1}},                  // back to x < 50
        {EMR_SELECTOBJECT, {1}},
        {EMR_RECTANGLE, {0, 0, 100, 50}},       // red where 25 <= x < 50
        {EMR_RESTOREDC, {1}},                   // no clip
        {EMR_INTERSECTCLIPRECT, {0, 0, 10, 50}},
        {EMR_EXTSELECTCLIPRGN, {0, gdi::RGN_COPY}}, // reset: no clip
        {EMR_SELECTOBJECT, {2}},
        {EMR_RECTANGLE, {80, 10, 96, 40}},      // blue
    };
    auto picture = PictureRegistry::instance().load(write("clips.emf", samples::emfOf(records, 3)));
    const QImage drawn = renderScaled(*picture, 100, 50);
    QCOMPARE(QColor(drawn.pixel(10, 20)), QColor(Qt::red));
    QCOMPARE(QColor(drawn.pixel(30, 20)), QColor(Qt::red));
    QCOMPARE(QColor(drawn.pixel(60, 20)), QColor(Qt::white));
    QCOMPARE(QColor(drawn.pixel(85, 20)), QColor(Qt::blue));
}

// A metafile of saves alone cannot grow the saved states without bound: saves
// past the limit fail, so RestoreDC(-limit) goes back to the very first.
void DecoderTest::savedStatesAreBounded()
{
    using samples::EmfRecord, samples::stockObject;
    using namespace klt::emf;
    std::vector<EmfRecord> records = {{EMR_SELECTOBJECT, {stockObject(gdi::NULL_PEN)}},
                                      {EMR_CREATEBRUSHINDIRECT, {1, gdi::BS_SOLID, 0x000000FF, 0}},
                                      {EMR_SELECTOBJECT, {1}},
                                      {EMR_SAVEDC, {}},
                                      {EMR_CREATEBRUSHINDIRECT, {2, gdi::BS_SOLID, 0x00FF0000, 0}},
                                      {EMR_SELECTOBJECT, {2}}};
    for (int i = 1; i < gdi::kMaxSavedStates + 50; ++i) records.push_back({EMR_SAVEDC, {}});
    records.push_back({EMR_RESTOREDC, {gdi::kMaxSavedStates + 1}}); // no such state: nothing happens
    records.push_back({EMR_RECTANGLE, {0, 0, 50, 50}});
    records.push_back({EMR_RESTOREDC, {-gdi::kMaxSavedStates}});
    records.push_back({EMR_RECTANGLE, {50, 0, 100, 50}});
    auto picture = PictureRegistry::instance().load(write("saves.emf", samples::emfOf(records, 3)));
    const QImage drawn = renderScaled(*picture, 100, 50);
    QCOMPARE(QColor(drawn.pixel(20, 20)), QColor(Qt::blue));
    QCOMPARE(QColor(drawn.pixel(70, 20)), QColor(Qt::red));
}

// Files made by independent tools (tests/fixtures/README.md): each colour
// where the tool was asked to draw it, white around the shapes.
void DecoderTest::readsFixtureFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");
    const QColor red(255, 0, 0), blue(0, 0, 255), green(0, 255, 0), white(255, 255, 255);
    struct Probe {
        const char* what;
        QPoint at;
        QColor colour;
    };
    // Points of the 200 × 60 drawing, at least 3 pixels from an edge.
    const Probe probes[] = {
        {"square", {30, 30}, red},         {"square's corner", {13, 13}, red},
        {"left of the square", {6, 30}, white}, {"triangle", {80, 37}, blue},
        {"beside the apex", {70, 20}, white}, {"between", {55, 30}, white},
        {"ellipse", {130, 30}, green},     {"outside the ellipse", {113, 13}, white},
    };
    const Probe bitmap[] = {{"bitmap, top left", {167, 20}, QColor(0, 0, 0)},
                            {"bitmap, top right", {183, 20}, QColor(255, 255, 0)},
                            {"bitmap, bottom left", {167, 40}, QColor(255, 0, 255)},
                            {"bitmap, bottom right", {183, 40}, QColor(0, 255, 255)}};
    for (const char* file : {"shapes-libuemf.wmf", "shapes-libuemf.emf"}) {
        for (const Probe& p : probes) QTest::addRow("%s: %s", file, p.what) << file << QSize(200, 60) << p.at << p.colour;
        for (const Probe& p : bitmap) QTest::addRow("%s: %s", file, p.what) << file << QSize(200, 60) << p.at << p.colour;
    }
    // fig2dev adds a margin of 49 of its 12.5 units a pixel: 208 × 68 pixels.
    auto fig = [](QPoint p) {
        return QPoint(qRound((p.x() * 12.5 + 49) * 208 / 2598), qRound((p.y() * 12.5 + 49) * 68 / 848));
    };
    for (const Probe& p : probes)
        QTest::addRow("shapes-fig2dev.emf: %s", p.what) << "shapes-fig2dev.emf" << QSize(208, 68) << fig(p.at) << p.colour;
}

void DecoderTest::readsFixtureFiles()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    std::unique_ptr<Picture> picture;
    try {
        picture = PictureRegistry::instance().load(QStringLiteral(KLETOMER_FIXTURES "/") + file);
    } catch (const PictureError& e) {
        QFAIL(qPrintable(e.text()));
    }
    QCOMPARE(QSize(picture->width(), picture->height()), size);
    const QImage drawn = renderScaled(*picture, size.width(), size.height());
    QCOMPARE(QColor(drawn.pixel(at)), colour);
}

QTEST_MAIN(DecoderTest)
#include "test_decoders.moc"
