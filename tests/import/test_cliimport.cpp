// kletomer-cli import end to end: a tiny picture in, a puzzle file out.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "core/workspace.h"
#include "files/kvtformat.h"
#include "import/importmodel.h"
#include "import/importpictures.h"
#include "import/picture.h"
#include "samples.h"

using namespace klt;

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

Run cli(const QStringList& args, const QString& command = QStringLiteral("import"))
{
    QProcess p;
    p.start(QStringLiteral(KLETOMER_CLI), QStringList{command} + args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Rows of the field as text, "#" for filled cells and "." for the others.
QStringList rows(const QString& kvt)
{
    Workspace ws;
    readKvt(ws, kvt.toStdString());
    QStringList out;
    for (int r = 0; r < ws.doc.field().rowCount(); ++r) {
        QString line;
        for (int c = 0; c < ws.doc.field().colCount(); ++c) line += ws.doc.field().isFilled(c, r) ? '#' : '.';
        out << line;
    }
    return out;
}

// 8 × 6: a red L in a white picture, one blue pixel apart.
QImage tinyPicture()
{
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 1; y <= 4; ++y) img.setPixel(2, y, qRgb(255, 0, 0));
    for (int x = 2; x <= 5; ++x) img.setPixel(x, 4, qRgb(255, 0, 0));
    img.setPixel(6, 1, qRgb(0, 0, 255));
    return img;
}

} // namespace

class CliImportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }
    void importsAndCrops();
    void selectionScaleAndDepth();
    void reportsTheClippedView();
    void refusesBadInput_data();
    void refusesBadInput();
    void exportedMetafilesReadBack();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

void CliImportTest::importsAndCrops()
{
    QVERIFY(samples::writeFile(path("tiny.png"), samples::qtFile(tinyPicture(), "png")));
    const Run r = cli({path("tiny.png"), path("red.kvt"), "--color", "$FF"});
    QCOMPARE(r.code, 0);
    // The red L only; the crop keeps at least 5 columns and 5 rows.
    QCOMPARE(rows(path("red.kvt")), (QStringList{"#....", "#....", "#....", "####.", "....."}));

    const Run both = cli({path("tiny.png"), path("both.kvt"), "--color", "FF", "--color", "$FF0000"});
    QCOMPARE(both.code, 0);
    QCOMPARE(rows(path("both.kvt")), (QStringList{"#...#", "#....", "#....", "####.", "....."}));

    const Run notWhite = cli({path("tiny.png"), path("nw.kvt"), "--not-white"});
    QCOMPARE(notWhite.code, 0);
    QCOMPARE(rows(path("nw.kvt")), rows(path("both.kvt")));
}

void CliImportTest::selectionScaleAndDepth()
{
    QVERIFY(samples::writeFile(path("tiny.png"), samples::qtFile(tinyPicture(), "png")));
    // Pixels x 2..4, y 3..4 of the picture (a rectangle takes its width - 2 and
    // height - 2 pixels) in a 4 x 3 field, which the size controls, already at
    // their minimum of 5, leave as it is.
    Run r = cli({path("tiny.png"), path("sel.kvt"), "--not-white", "--rect", "2,3,5,4"});
    QCOMPARE(r.code, 0);
    QCOMPARE(rows(path("sel.kvt")), (QStringList{"....", ".#..", ".###"}));

    // At 200 % every pixel becomes 2 × 2 cells.
    r = cli({path("tiny.png"), path("big.kvt"), "--color", "$FF", "--scale", "200"});
    QCOMPARE(r.code, 0);
    const QStringList big = rows(path("big.kvt"));
    QCOMPARE(big.size(), 8);
    QCOMPARE(big.first(), QStringLiteral("##......"));
    QCOMPARE(big.last(), QStringLiteral("########"));

    // In black and white the blue pixel is black, so "$0" takes it with the L (now black too).
    r = cli({path("tiny.png"), path("bw.kvt"), "--color", "$0", "--depth", "1"});
    QCOMPARE(r.code, 0);
    QCOMPARE(rows(path("bw.kvt")), (QStringList{"#...#", "#....", "#....", "####.", "....."}));
}

void CliImportTest::reportsTheClippedView()
{
    QImage wide(300, 20, QImage::Format_RGB32);
    wide.fill(Qt::white);
    wide.setPixel(280, 10, qRgb(0, 0, 0)); // beyond the 250-pixel view
    wide.setPixel(10, 10, qRgb(0, 0, 0));
    QVERIFY(samples::writeFile(path("wide.png"), samples::qtFile(wide, "png")));
    const Run r = cli({path("wide.png"), path("wide.kvt"), "--color", "$0"});
    QCOMPARE(r.code, 0);
    QVERIFY2((r.out + r.err).contains(QStringLiteral("250 х 250")), qPrintable(r.out + r.err));
    const QStringList field = rows(path("wide.kvt"));
    QCOMPARE(field.size(), 5);
    QCOMPARE(field.first().size(), 5); // only the pixel inside the view was taken
}

void CliImportTest::refusesBadInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason"); // part of the one-line reason
    QTest::newRow("garbage picture") << QStringList{"garbage.png", "o.kvt", "--not-white"} << "garbage.png";
    QTest::newRow("missing picture") << QStringList{"none.png", "o.kvt", "--not-white"} << "none.png";
    QTest::newRow("huge header") << QStringList{"huge.png", "o.kvt", "--not-white"} << "слишком велик";
    QTest::newRow("unknown format") << QStringList{"tiny.xyz", "o.kvt", "--not-white"} << "tiny.xyz";
    QTest::newRow("no colours") << QStringList{"tiny.png", "o.kvt"} << "--not-white";
    QTest::newRow("bad colour") << QStringList{"tiny.png", "o.kvt", "--color", "$GG"} << "--color";
    QTest::newRow("colour too large") << QStringList{"tiny.png", "o.kvt", "--color", "$1000000"} << "--color";
    QTest::newRow("short rectangle") << QStringList{"tiny.png", "o.kvt", "--not-white", "--rect", "1,2,3"} << "--rect";
    QTest::newRow("scale 0") << QStringList{"tiny.png", "o.kvt", "--not-white", "--scale", "0"} << "--scale";
    QTest::newRow("depth 8") << QStringList{"tiny.png", "o.kvt", "--not-white", "--depth", "8"} << "--depth";
    QTest::newRow("no OUT") << QStringList{"tiny.png", "--not-white"} << "OUT";
}

void CliImportTest::refusesBadInput()
{
    QFETCH(QStringList, args);
    QFETCH(QString, reason);
    QVERIFY(samples::writeFile(path("tiny.png"), samples::qtFile(tinyPicture(), "png")));
    QVERIFY(samples::writeFile(path("tiny.xyz"), samples::qtFile(tinyPicture(), "png")));
    QVERIFY(samples::writeFile(path("garbage.png"), QByteArray("\x89PNG\r\n\x1a\nnot really", 18)));
    QVERIFY(samples::writeFile(path("huge.png"), samples::hugePng()));
    QFile::remove(path("o.kvt"));
    for (QString& a : args)
        if (a.contains('.')) a = path(a);
    const Run r = cli(args);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(reason), qPrintable(r.err));
    QCOMPARE(r.err.trimmed().count('\n'), 0); // one line
    QVERIFY(!QFile::exists(path("o.kvt")));
}

// The program's own exports: its enhanced and old-style metafiles, played
// by the import, look like its bitmap of the same puzzle.
void CliImportTest::exportedMetafilesReadBack()
{
    registerImportPictures();
    Workspace ws;
    ws.doc.field().setSize(6, 5);
    const char* rows[] = {"-..-..", "--.-.3", "..2---", "-.-.-.", "1.--.-"};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 6; ++c) {
            const char ch = rows[r][c];
            ws.doc.field().setText(c, r, ch == '-' ? "-" : ch == '.' ? "" : std::string(1, ch));
        }
    saveKvt(ws, path("puzzle.kvt").toStdString());
    // The clues' glyphs may be shaped a little differently by each way of
    // drawing; the answers without clues match pixel for pixel.
    for (const bool answers : {false, true}) {
        QImage reference;
        for (const char* ext : {"bmp", "emf", "wmf"}) {
            const QString out = path(QStringLiteral("picture.") + ext);
            QStringList args{path("puzzle.kvt"), out};
            if (answers) args << "--answers" << "--no-numbers";
            const Run r = cli(args, "export");
            QVERIFY2(r.code == 0, qPrintable(r.err));
            std::unique_ptr<Picture> picture;
            try {
                picture = PictureRegistry::instance().load(out);
            } catch (const PictureError& e) {
                QFAIL(qPrintable(e.text()));
            }
            const QImage drawn = renderScaled(*picture, picture->width(), picture->height());
            if (reference.isNull()) {
                reference = drawn;
                continue;
            }
            QCOMPARE(drawn.size(), reference.size());
            int differ = 0;
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x) differ += drawn.pixel(x, y) != reference.pixel(x, y);
            QVERIFY2(differ <= (answers ? 0 : drawn.width() * drawn.height() / 50),
                     qPrintable(QStringLiteral("%1: %2 pixels differ").arg(ext).arg(differ)));
        }
    }
}

QTEST_MAIN(CliImportTest)
#include "test_cliimport.moc"
