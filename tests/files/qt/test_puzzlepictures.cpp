// Puzzle files read and drawn as pictures: the worked examples checked pixel
// by pixel, the rules where the picture readers differ from opening a file,
// and files that are broken, cut short or too large.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include "files/qt/crspicture.h"
#include "files/qt/kvtpicture.h"
#include "files/qt/puzzlepictures.h"

using namespace klt;

namespace {

constexpr QRgb kBackground = 0xFF123456;

QByteArray cp1251(const char* utf8)
{
    // The few Cyrillic letters the fixtures use, in Windows-1251.
    QByteArray out;
    const QString s = QString::fromUtf8(utf8);
    for (QChar ch : s) {
        const ushort u = ch.unicode();
        out += u >= 0x410 && u <= 0x44F ? char(u - 0x410 + 0xC0) : char(u);
    }
    return out;
}

struct Painted {
    QImage image;
    Painted(const Picture& picture, QSize size, QRect rect) : image(size, QImage::Format_ARGB32)
    {
        image.fill(kBackground);
        QPainter p(&image);
        picture.draw(p, rect);
    }
    QRgb at(int x, int y) const { return image.pixel(x, y); }
    // Pixels of the box (inclusive) darker or lighter than mid-grey.
    int count(QRect box, bool dark) const
    {
        int n = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                if ((qGray(image.pixel(x, y)) < 128) == dark) ++n;
        return n;
    }
};

} // namespace

class PuzzlePicturesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    int serial_ = 0;

    QString write(const QByteArray& bytes, const QString& ext)
    {
        const QString path = dir_.filePath(QStringLiteral("f%1.%2").arg(++serial_).arg(ext));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write fixture");
        f.write(bytes);
        return path;
    }
    template <class P> P load(const QByteArray& bytes, const QString& ext = QStringLiteral("crs"))
    {
        P picture;
        picture.loadFromFile(write(bytes, ext));
        return picture;
    }

private slots:
    void registeredForTheirExtensions()
    {
        registerPuzzlePictures();
        const auto& registry = PictureRegistry::instance();
        QCOMPARE(registry.find(QStringLiteral("kvt"))->description, QStringLiteral("Клетомер"));
        QCOMPARE(registry.find(QStringLiteral("FCR"))->description, QStringLiteral("Филиппинский кроссворд"));
        QCOMPARE(registry.find(QStringLiteral("Crs"))->description, QStringLiteral("Японский кроссворд"));
        // The genre comes from the header line, not the extension.
        auto picture = registry.load(write("\x02JC2.5\x02\r\nx\r\n3 2\r\n0 C\r\n", QStringLiteral("FCR")));
        auto* crs = dynamic_cast<CrsPicture*>(picture.get());
        QVERIFY(crs);
        QCOMPARE(crs->layout(), CrsPicture::Layout::JcIndexed);
        QVERIFY(dynamic_cast<KvtPicture*>(registry.load(write("", QStringLiteral("KVT"))).get()));
    }

    void unopenableFileThrows()
    {
        KvtPicture kvt;
        CrsPicture crs;
        const QString missing = dir_.filePath(QStringLiteral("missing.kvt"));
        QVERIFY_THROWS_EXCEPTION(PictureError, kvt.loadFromFile(missing));
        try {
            crs.loadFromFile(missing);
            QFAIL("no error");
        } catch (const PictureError& e) {
            QVERIFY(e.text().contains(missing));
            QVERIFY(e.text().contains(QStringLiteral("Файл не найден")));
        }
    }

    // The worked example of the own format: 30 x 20 pixels; drawn into
    // 90 x 60 it shows 30-pixel squares parted by single black lines.
    void kvtWorkedExample()
    {
        const auto kvt = load<KvtPicture>(cp1251("[Options]\r\nHeight=2\r\nWidth=3\r\nCellSize=24\r\nWord=КОТ\r\n"
                                                 "[Field]\r\nStr0=;-3; ;2\r\nStr1=;А;-;-\r\n"),
                                          QStringLiteral("kvt"));
        QVERIFY(!kvt.isEmpty());
        QCOMPARE(kvt.width(), 30);
        QCOMPARE(kvt.height(), 20);
        const Painted p(kvt, QSize(100, 70), QRect(5, 5, 90, 60));
        auto inner = [](int col, int row) { return QRect(5 + 30 * col + 1, 5 + 30 * row + 1, 29, 29); };
        // Row 0: black with a white "3", white and blank, white with a black "2".
        QVERIFY(p.count(inner(0, 0), false) > 10);
        QVERIFY(p.count(inner(0, 0), true) > 600);
        QCOMPARE(p.count(inner(1, 0), true), 0);
        QVERIFY(p.count(inner(2, 0), true) > 10);
        // Row 1: white with "А", then two black squares without text.
        QVERIFY(p.count(inner(0, 1), true) > 10);
        QCOMPARE(p.count(inner(1, 1), false), 0);
        QCOMPARE(p.count(inner(2, 1), false), 0);
        // Outlines of s + 1 pixels overlap: lines at 5, 35, 65, 95; nothing beyond.
        for (int x : {5, 35, 65, 95}) QCOMPARE(p.at(x, 20), qRgb(0, 0, 0));
        for (int y : {5, 35, 65}) QCOMPARE(p.at(50, y), qRgb(0, 0, 0));
        QCOMPARE(p.at(96, 20), kBackground);
        QCOMPARE(p.at(50, 66), kBackground);
        QCOMPARE(p.at(4, 20), kBackground);
    }

    void kvtReading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("width");
        const QByteArray head = "[Options]\r\nHeight=1\r\nWidth=3\r\n[Field]\r\n";
        QTest::newRow("trailing blank of an empty last cell is a piece")
            << head + "Str0=; ;-; \r\n" << QStringList{"; ;-; "} << 30;
        QTest::newRow("height with a trailing blank") << QByteArray("[Options]\r\nHeight=5 \r\nWidth=1\r\nStr0=;-\r\n")
                                                      << QStringList{} << 0;
        QTest::newRow("missing width") << QByteArray("[Options]\r\nHeight=1\r\n[Field]\r\nStr0=;-\r\n")
                                       << QStringList{} << 0;
        QTest::newRow("keys in the wrong section, any case, the first wins")
            << QByteArray("[Field]\r\nheight=2\r\nHEIGHT=9\r\nstr1=;1\r\n[Options]\r\nSTR0=;a;b\r\nStr0=;x\r\nwidth=2\r\n")
            << QStringList{";a;b", ";1"} << 20;
        QTest::newRow("missing row, hexadecimal height, CR and LF line ends")
            << QByteArray("[Options]\rHeight=0x02\nWidth=1\r\n[Field]\nStr1=;-\r") << QStringList{"", ";-"} << 0;
        QTest::newRow("Str01 is not row 1") << QByteArray("Height=2\r\nWidth=1\r\nStr01=;-\r\n") << QStringList{"", ""}
                                             << 0;
        QTest::newRow("section names run lines together")
            << QByteArray("[Options]\r\nHeight=1\r\nWidth=2\r\nStr0=;a[Options]\r\n;b\r\n[Field];c\r\n")
            << QStringList{";a;b;c"} << 30;
        QTest::newRow("more rows than any puzzle") << QByteArray("Height=5000\r\nWidth=1\r\nStr0=;-\r\n")
                                                   << QStringList{} << 0;
        QTest::newRow("not a puzzle at all") << QByteArray("\x00\xFF\x01garbage=\x02\x03", 12) << QStringList{} << 0;
    }
    void kvtReading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, rows);
        QFETCH(int, width);
        const auto kvt = load<KvtPicture>(file, QStringLiteral("kvt"));
        QStringList got;
        for (const auto& r : kvt.rowTexts()) got << QString::fromLatin1(r.c_str());
        QCOMPARE(got, rows);
        QCOMPARE(kvt.isEmpty(), rows.isEmpty());
        QCOMPARE(kvt.width(), width);
        QCOMPARE(kvt.height(), 10 * int(rows.size()));
    }

    // Fewer than 2 pixels per cell: 2-pixel squares that reach past the
    // rectangle, for both kinds of picture.
    void tinyRectangleUsesTwoPixelSquares()
    {
        const auto kvt = load<KvtPicture>("Height=2\r\nWidth=3\r\nStr0=;-;-;-\r\nStr1=; ; ;-\r\n", QStringLiteral("kvt"));
        const Painted k(kvt, QSize(12, 12), QRect(0, 0, 4, 3));
        QCOMPARE(k.at(6, 0), qRgb(0, 0, 0)); // right outline of the third square
        QCOMPARE(k.at(3, 3), qRgb(255, 255, 255)); // inside a white square of row 1
        QCOMPARE(k.at(7, 0), kBackground);
        QCOMPARE(k.at(0, 5), kBackground);

        const auto crs = load<CrsPicture>("\x02JC2\x02\r\n\r\n4 3\r\n255 ## 0\r\n0 0 0\r\n");
        const Painted c(crs, QSize(12, 12), QRect(0, 0, 4, 3));
        QCOMPARE(c.at(0, 0), qRgb(255, 0, 0));
        QCOMPARE(c.at(1, 0), kBackground); // the line between cells
        QCOMPARE(c.at(2, 0), qRgb(255, 255, 255));
        QCOMPARE(c.at(4, 2), qRgb(0, 0, 0));
        QCOMPARE(c.at(6, 0), kBackground);
    }

    // The FC example: 3 columns and 2 rows, colours red, white (blank colour
    // part) and black ("0" is a colour); squares of s - 1 pixels on the
    // background.
    void crsFcExample()
    {
        const auto crs = load<CrsPicture>("\x02" "FC2\x02\r\nanything\r\n4 3\r\n255;1/ ;0/0;2\r\n65280;1/;5/ ;0\r\n",
                                          QStringLiteral("fcr"));
        QCOMPARE(crs.layout(), CrsPicture::Layout::Fc);
        QCOMPARE(crs.width(), 30);
        QCOMPARE(crs.height(), 20);
        const Painted p(crs, QSize(40, 30), QRect(5, 5, 30, 20));
        QCOMPARE(p.at(5, 5), qRgb(255, 0, 0));
        QCOMPARE(p.at(13, 13), qRgb(255, 0, 0));
        QCOMPARE(p.at(14, 5), kBackground);
        QCOMPARE(p.at(5, 14), kBackground);
        QCOMPARE(p.at(20, 10), qRgb(255, 255, 255));
        QCOMPARE(p.at(30, 10), qRgb(0, 0, 0));
        // ";5": the leading separator is skipped, so "5" is the colour.
        QCOMPARE(p.at(10, 20), qRgb(0, 255, 0));
        QCOMPARE(p.at(20, 20), qRgb(5, 0, 0));
        QCOMPARE(p.at(30, 20), qRgb(255, 255, 255));
        QCOMPARE(p.at(35, 10), kBackground);
    }

    void crsRows_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("layout");
        QTest::addColumn<QList<QList<int>>>("rows");
        using Rows = QList<QList<int>>;
        const int W = 0xFFFFFF;
        QTest::newRow("JC2.5: index 0, #, 1F, the 16-colour table")
            << QByteArray("\x02JC2.5\x02\r\n\r\n7 2\r\n0 # 1F c F 10\r\n") << 2
            << Rows{{0, W, 0x1F, 0xFF0000, W, 0x10}};
        QTest::newRow("JC2.4 is indexed, missing words are white")
            << QByteArray("\x02JC2.4\x02\r\n\r\n4 2\r\n9\r\n") << 2 << Rows{{0x0000FF, W, W}};
        QTest::newRow("JC2: ## white, decimal values") << QByteArray("\x02JC2\x02\r\n\r\n3 2\r\n## 16711680\r\n") << 3
                                                       << Rows{{W, 0xFF0000}};
        QTest::newRow("FC3 is FC") << QByteArray("\x02" "FC3\x02\r\n\r\n3 2\r\n 7 8;1/255\r\n") << 1
                                   << Rows{{7, 255}};
        const QByteArray zeros = QByteArray(" 0").repeated(31);
        QTest::newRow("no header: bit c + 1 fills column c")
            << QByteArray("title\r\n5 3\r\n2" + zeros + "\r\n1" + zeros + "\r\n") << 0
            << Rows{{0, W, W, W}, {W, W, W, W}};
        QTest::newRow("a JC header with more after it is no header")
            << QByteArray("\x02JC2.6\x02\r\n4 2\r\n16" + zeros + "\r\n") << 0 << Rows{{W, W, W}};
        QTest::newRow("a bad number stops: the rest of its row black, later rows unread")
            << QByteArray("\x02" "FC1\x02\r\n\r\n4 3\r\n255;1/x;0/7;1\r\n1;1/1;1/1;1\r\n") << 1
            << Rows{{255, 0, 0}, {}};
        QTest::newRow("too few integers stop a bit row") << QByteArray("\r\n3 2\r\n2 0 0\r\n") << 0 << Rows{{0, 0}};
        QTest::newRow("a file cut short keeps what it has; the row it ends in is black")
            << QByteArray("\x02JC2\x02\r\n\r\n3 5\r\n1 2\r\n3 4") << 3 << Rows{{1, 2}, {3, 4}, {0, 0}, {}};
        QTest::newRow("CR alone ends a line") << QByteArray("\x02JC2\x02\r\r3 2\r1 2\r") << 3 << Rows{{1, 2}};
        QTest::newRow("LF line ends are not read") << QByteArray("\x02JC2\x02\n\n3 2\n1 2\n") << 0 << Rows{};
        QTest::newRow("size 1 1 is empty") << QByteArray("\x02JC2\x02\r\n\r\n1 1\r\n1\r\n") << 3 << Rows{};
        QTest::newRow("more columns than any puzzle") << QByteArray("\x02JC2\x02\r\n\r\n5000 2\r\n1\r\n") << 3
                                                      << Rows{};
        QTest::newRow("no size line") << QByteArray("\x02JC2\x02\r\n\r\n") << 3 << Rows{};
    }
    void crsRows()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, layout);
        QFETCH(QList<QList<int>>, rows);
        const auto crs = load<CrsPicture>(file);
        QCOMPARE(int(crs.layout()), layout);
        QList<QList<int>> got;
        for (const auto& r : crs.rows()) got.append(QList<int>(r.begin(), r.end()));
        QCOMPARE(got, rows);
        QCOMPARE(crs.isEmpty(), rows.isEmpty());
        QCOMPARE(crs.height(), 10 * int(rows.size()));
    }

    // The row the file ends in is black, rows the loading did not reach
    // stay undrawn, and the picture keeps the size its file announced.
    void crsPartialPictureDrawsWhatWasRead()
    {
        const auto crs = load<CrsPicture>("\x02JC2\x02\r\n\r\n3 4\r\n255 65280\r\n");
        QCOMPARE(crs.height(), 30);
        const Painted p(crs, QSize(20, 30), QRect(0, 0, 20, 30));
        QCOMPARE(p.at(0, 0), qRgb(255, 0, 0));
        QCOMPARE(p.at(10, 0), qRgb(0, 255, 0));
        QCOMPARE(p.at(0, 12), qRgb(0, 0, 0));
        QCOMPARE(p.at(10, 12), qRgb(0, 0, 0));
        QCOMPARE(p.at(0, 22), kBackground);
    }

    // A large file must neither take long nor draw outside what a small
    // device shows.
    void largeFileDrawsQuickly()
    {
        QByteArray file = "\x02JC2.5\x02\r\n\r\n4097 4097\r\n";
        const QByteArray row = QByteArray("C ").repeated(4096) + "\r\n";
        for (int i = 0; i < 4096; ++i) file += row;
        const auto crs = load<CrsPicture>(file);
        QCOMPARE(crs.width(), 40960);
        QCOMPARE(int(crs.rows().back().size()), 4096);
        QElapsedTimer t;
        t.start();
        const Painted p(crs, QSize(50, 50), QRect(0, 0, 100, 100));
        QCOMPARE(p.at(0, 0), qRgb(0, 0, 255));
        QCOMPARE(p.at(1, 0), kBackground);
        QVERIFY2(t.elapsed() < 2000, "drawing a huge picture into a small image took too long");
    }
};

QTEST_MAIN(PuzzlePicturesTest)
#include "test_puzzlepictures.moc"
