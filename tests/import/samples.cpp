#include "samples.h"

#include <Magick++.h>

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>
#include <cstring>
#include <initializer_list>

namespace samples {

namespace {

void put16(QByteArray& b, quint16 v)
{
    uchar x[2];
    qToLittleEndian(v, x);
    b.append(reinterpret_cast<const char*>(x), 2);
}
void put32(QByteArray& b, quint32 v)
{
    uchar x[4];
    qToLittleEndian(v, x);
    b.append(reinterpret_cast<const char*>(x), 4);
}
void put16be(QByteArray& b, quint16 v)
{
    uchar x[2];
    qToBigEndian(v, x);
    b.append(reinterpret_cast<const char*>(x), 2);
}
void put32be(QByteArray& b, quint32 v)
{
    uchar x[4];
    qToBigEndian(v, x);
    b.append(reinterpret_cast<const char*>(x), 4);
}

class EmfWriter {
public:
    void record(quint32 type, std::initializer_list<qint32> params) { record(type, std::vector<qint32>(params)); }
    void record(quint32 type, const std::vector<qint32>& params)
    {
        put32(records_, type);
        put32(records_, static_cast<quint32>(8 + 4 * params.size()));
        for (qint32 p : params) put32(records_, static_cast<quint32>(p));
        ++count_;
    }
    void raw(quint32 type, const QByteArray& body)
    {
        put32(records_, type);
        put32(records_, static_cast<quint32>(8 + body.size()));
        records_ += body;
        ++count_;
    }
    void font(quint32 handle, qint32 height)
    {
        QByteArray b;
        put32(b, handle);
        for (qint32 v : {height, 0, 0, 0, 400}) put32(b, static_cast<quint32>(v));
        b.append(8, '\0'); // italic .. pitch and family
        const QString face = QStringLiteral("DejaVu Sans");
        for (int i = 0; i < 32; ++i) put16(b, i < face.size() ? face[i].unicode() : 0);
        raw(82, b);
    }
    void text(qint32 x, qint32 y, const QString& s)
    {
        QByteArray b;
        for (int i = 0; i < 4; ++i) put32(b, 0); // bounds
        put32(b, 1);                              // graphics mode
        float one = 1;
        quint32 bits;
        std::memcpy(&bits, &one, 4);
        put32(b, bits);
        put32(b, bits);
        put32(b, static_cast<quint32>(x));
        put32(b, static_cast<quint32>(y));
        put32(b, static_cast<quint32>(s.size()));
        const int stringBytes = (static_cast<int>(s.size()) * 2 + 3) / 4 * 4;
        put32(b, 76);                             // string offset
        put32(b, 0);                              // options
        for (int i = 0; i < 4; ++i) put32(b, 0);  // rectangle
        put32(b, static_cast<quint32>(76 + stringBytes)); // dx offset
        for (QChar c : s) put16(b, c.unicode());
        while ((b.size() + 8) % 4) b.append('\0');
        for (int i = 0; i < s.size(); ++i) put32(b, 20);
        raw(84, b);
    }
    QByteArray finish(QRect bounds, QRect frame, int handles)
    {
        record(14, {0, 16, 20}); // EOF
        QByteArray h;
        put32(h, 1);
        put32(h, 88);
        for (int v : {bounds.left(), bounds.top(), bounds.right(), bounds.bottom(), frame.left(), frame.top(),
                      frame.right(), frame.bottom()})
            put32(h, static_cast<quint32>(v));
        put32(h, 0x464D4520);
        put32(h, 0x10000);
        put32(h, static_cast<quint32>(88 + records_.size()));
        put32(h, static_cast<quint32>(count_ + 1));
        put16(h, static_cast<quint16>(handles));
        put16(h, 0);
        put32(h, 0); // description
        put32(h, 0);
        put32(h, 0); // palette entries
        // A reference device of exactly 96 dots per inch.
        for (int v : {960, 480, 254, 127}) put32(h, static_cast<quint32>(v));
        return h + records_;
    }

private:
    QByteArray records_;
    int count_ = 0;
};

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= static_cast<uchar>(ch);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

constexpr qint32 kStock = static_cast<qint32>(0x80000000u);

} // namespace

QImage colourImage()
{
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 0));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            img.setPixel(x, y, qRgb(0, 255, 0));
            img.setPixel(6 + x, 4 + y, qRgb(0, 0, 255));
        }
    return img;
}

QImage lossyImage()
{
    QImage img(32, 24, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 0));
    QPainter(&img).fillRect(16, 0, 16, 24, QColor(0, 0, 255));
    return img;
}

QByteArray magickFile(const QImage& image, const char* format, bool rle)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    Magick::Image m(static_cast<size_t>(rgba.width()), static_cast<size_t>(rgba.height()), "RGBA", Magick::CharPixel,
                    rgba.constBits());
    m.matte(false);
    if (rle) m.compressType(Magick::RLECompression);
    Magick::Blob blob;
    m.write(&blob, format);
    return QByteArray(static_cast<const char*>(blob.data()), static_cast<qsizetype>(blob.length()));
}

QByteArray qtFile(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(image);
    return bytes;
}

QByteArray rle8Bmp()
{
    // Rows bottom-up: the bottom row (index 0) first, then the top row (index 1).
    QByteArray bits;
    for (char b : {4, 0, 0, 0, 4, 1, 0, 0, 0, 1}) bits.append(b);
    QByteArray b;
    b.append("BM", 2);
    put32(b, static_cast<quint32>(14 + 40 + 8 + bits.size()));
    put32(b, 0);
    put32(b, 14 + 40 + 8);
    put32(b, 40);
    put32(b, 4);  // width
    put32(b, 2);  // height
    put16(b, 1);  // planes
    put16(b, 8);  // bits per pixel
    put32(b, 1);  // BI_RLE8
    put32(b, static_cast<quint32>(bits.size()));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 2); // colours used
    put32(b, 0);
    put32(b, 0x00FFFFFF); // index 0: white (B, G, R, 0)
    put32(b, 0x00FF0000); // index 1: red
    return b + bits;
}

QByteArray photoCd()
{
    const int w = 768, h = 512, base = 0x30000;
    QByteArray b(base + w * h * 3 / 2, '\0');
    std::memcpy(b.data() + 0x800, "PCD_IPI", 7);
    // Each pair of rows: two rows of luma, then the two chroma rows at half width.
    char* p = b.data() + base;
    for (int pair = 0; pair < h / 2; ++pair) {
        for (int row = 0; row < 2; ++row)
            for (int x = 0; x < w; ++x) *p++ = static_cast<char>(x < w / 2 ? 54 : 21);
        for (int x = 0; x < w / 2; ++x) *p++ = static_cast<char>(x < w / 4 ? 123 : 255);
        for (int x = 0; x < w / 2; ++x) *p++ = static_cast<char>(x < w / 4 ? 232 : 121);
    }
    return b;
}

QByteArray rlaFile()
{
    const int w = 6, h = 4;
    QByteArray b;
    for (int v : {0, w - 1, 0, h - 1, 0, w - 1, 0, h - 1}) put16be(b, static_cast<quint16>(v)); // windows
    put16be(b, 0); // frame
    put16be(b, 0); // storage type
    put16be(b, 3); // colour channels
    put16be(b, 0); // matte channels
    put16be(b, 0); // auxiliary channels
    put16be(b, 0); // revision
    b.append(16 + 4 * 24, '\0');
    put32be(b, 0);
    b.append(128 + 128 + 64 + 32 + 32 + 20 + 24 + 8 + 32, '\0');
    put16be(b, 0);
    b.append(12 + 32, '\0');
    for (int i = 0; i < 5; ++i) put16be(b, i == 0 ? 8 : 0);
    b.append(32 + 36, '\0');
    put32be(b, 0);
    Q_ASSERT(b.size() == 740);
    // Scanline offsets, bottom row first; each channel one run of w bytes.
    const int lineBytes = 3 * (2 + 2);
    const int first = 740 + 4 * h;
    for (int i = 0; i < h; ++i) put32be(b, static_cast<quint32>(first + i * lineBytes));
    for (int i = 0; i < h; ++i) {
        const bool top = i == h - 1;
        const int rgb[3] = {top ? 0 : 255, 0, top ? 255 : 0};
        for (int c : rgb) {
            put16be(b, 2);
            b.append(static_cast<char>(w - 1));
            b.append(static_cast<char>(c));
        }
    }
    return b;
}

QByteArray cutFile()
{
    QByteArray b;
    put16(b, 6);
    put16(b, 3);
    put16(b, 0);
    for (int v : {10, 128, 250}) {
        put16(b, 3); // run count, value, end of line
        b.append(static_cast<char>(0x80 | 6));
        b.append(static_cast<char>(v));
        b.append('\0');
    }
    return b;
}

QByteArray animatorCel(int w, int h)
{
    QByteArray b;
    put16(b, 0x9119);
    put16(b, static_cast<quint16>(w));
    put16(b, static_cast<quint16>(h));
    put16(b, 0);
    put16(b, 0);
    b.append(char(8));
    b.append(char(0));
    put32(b, static_cast<quint32>(w * h));
    b.append(16, '\0');
    QByteArray pal(768, '\0');
    const char colours[3][3] = {{63, 63, 63}, {63, 0, 0}, {0, 0, 63}};
    for (int i = 0; i < 3; ++i) std::memcpy(pal.data() + 3 * i, colours[i], 3);
    b += pal;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.append(static_cast<char>((x + y) % 3));
    return b;
}

QByteArray emfFile()
{
    EmfWriter e;
    e.record(39, {1, 0, 0x00FFFFFF, 0}); // white brush
    e.record(37, {1});
    e.record(37, {kStock | 8});          // NULL_PEN
    e.record(43, {0, 0, 100, 50});
    e.record(39, {2, 0, 0x000000FF, 0}); // red brush
    e.record(37, {2});
    e.record(43, {10, 10, 60, 40});
    e.record(37, {kStock | 4});          // BLACK_BRUSH
    e.record(42, {70, 10, 90, 30});
    e.record(40, {1});
    e.record(40, {2});
    return e.finish(QRect(QPoint(0, 0), QPoint(99, 49)), QRect(QPoint(0, 0), QPoint(2646, 1323)), 3);
}

QByteArray emfOf(const std::vector<EmfRecord>& records, int handles)
{
    EmfWriter e;
    for (const EmfRecord& r : records) e.record(r.type, r.params);
    return e.finish(QRect(QPoint(0, 0), QPoint(99, 49)), QRect(QPoint(0, 0), QPoint(2646, 1323)), handles);
}

QByteArray emfMetricFile()
{
    EmfWriter e;
    e.record(17, {3});                   // MM_HIMETRIC: 0.01 mm, y up
    e.record(39, {1, 0, 0x00FFFFFF, 0});
    e.record(37, {1});
    e.record(37, {kStock | 8});
    e.record(43, {0, 0, 2646, -1323});
    e.record(39, {2, 0, 0x000000FF, 0});
    e.record(37, {2});
    e.record(43, {265, -265, 1587, -1058});
    e.record(18, {1});                   // transparent text background
    e.record(24, {0});                   // black text
    e.font(3, -700);
    e.record(37, {3});
    e.text(1850, -265, QStringLiteral("Ж"));
    return e.finish(QRect(QPoint(0, 0), QPoint(99, 49)), QRect(QPoint(0, 0), QPoint(2646, 1323)), 4);
}

QByteArray wmfFile()
{
    QByteArray recs;
    auto rec = [&recs](quint16 function, std::initializer_list<int> params) {
        put32(recs, static_cast<quint32>(3 + params.size()));
        put16(recs, function);
        for (int p : params) put16(recs, static_cast<quint16>(p));
    };
    rec(0x020B, {0, 0});                 // SETWINDOWORG (y, x)
    rec(0x020C, {50, 100});              // SETWINDOWEXT (height, width)
    rec(0x02FA, {5, 0, 0, 0, 0});        // CREATEPENINDIRECT null: slot 0
    rec(0x012D, {0});
    rec(0x02FC, {0, 0x00FF, 0, 0});      // CREATEBRUSHINDIRECT red: slot 1
    rec(0x012D, {1});
    rec(0x01F0, {1});                    // DELETEOBJECT frees slot 1 (still selected)
    rec(0x02FC, {0, 0xFF00, 0x0000, 0}); // a green brush takes slot 1 again, unused
    rec(0x041B, {40, 60, 10, 10});       // RECTANGLE (bottom, right, top, left)
    rec(0x0000, {});                     // EOF
    QByteArray header;
    put16(header, 1);
    put16(header, 9);
    put16(header, 0x0300);
    put32(header, static_cast<quint32>(9 + recs.size() / 2));
    put16(header, 2);
    put32(header, 8);
    put16(header, 0);
    QByteArray placeable;
    put32(placeable, 0x9AC6CDD7);
    put16(placeable, 0);
    for (int v : {0, 0, 100, 50}) put16(placeable, static_cast<quint16>(v));
    put16(placeable, 96);
    put32(placeable, 0);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= qFromLittleEndian<quint16>(placeable.constData() + 2 * i);
    put16(placeable, sum);
    return placeable + header + recs;
}

QByteArray hugePng()
{
    auto chunk = [](const char* type, const QByteArray& data) {
        QByteArray c;
        put32be(c, static_cast<quint32>(data.size()));
        const QByteArray body = QByteArray(type, 4) + data;
        c += body;
        put32be(c, crc32(body));
        return c;
    };
    QByteArray ihdr;
    put32be(ihdr, 60000);
    put32be(ihdr, 60000);
    ihdr.append(char(8)); // bit depth
    ihdr.append(char(2)); // truecolour
    ihdr.append(3, '\0');
    // A little image data, so that readers get past the header.
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", QByteArray("\x78\x9c\x63\x00\x00", 5)) +
           chunk("IEND", {});
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace samples
