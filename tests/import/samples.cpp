#include "samples.h"

#include <Magick++.h>

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>
#include <cstring>
#include <initializer_list>

#include "metafile/layout.h"

namespace samples {

namespace {

using namespace klt::gdi;
using klt::le::append16;
using klt::le::append32;

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

namespace emf = klt::emf;
namespace wmf = klt::wmf;

class EmfWriter {
public:
    void record(quint32 type, std::initializer_list<qint32> params) { record(type, std::vector<qint32>(params)); }
    void record(quint32 type, const std::vector<qint32>& params)
    {
        append32(records_, type);
        append32(records_, static_cast<quint32>(emf::record::kFields + 4 * params.size()));
        for (qint32 p : params) append32(records_, static_cast<quint32>(p));
        ++count_;
    }
    void raw(quint32 type, const QByteArray& body)
    {
        append32(records_, type);
        append32(records_, static_cast<quint32>(emf::record::kFields + body.size()));
        records_ += body;
        ++count_;
    }
    void font(quint32 handle, qint32 height)
    {
        QByteArray b;
        append32(b, handle);
        for (qint32 v : {height, 0, 0, 0, 400}) append32(b, static_cast<quint32>(v));
        b.append(8, '\0'); // italic .. pitch and family
        const QString face = QStringLiteral("DejaVu Sans");
        for (int i = 0; i < kFaceNameChars; ++i) append16(b, i < face.size() ? face[i].unicode() : 0);
        raw(emf::EMR_EXTCREATEFONTINDIRECTW, b);
    }
    void text(qint32 x, qint32 y, const QString& s)
    {
        QByteArray b;
        for (int i = 0; i < 4; ++i) append32(b, 0); // bounds
        append32(b, GM_COMPATIBLE);
        float one = 1;
        quint32 bits;
        std::memcpy(&bits, &one, 4);
        append32(b, bits);
        append32(b, bits);
        append32(b, static_cast<quint32>(x));
        append32(b, static_cast<quint32>(y));
        append32(b, static_cast<quint32>(s.size()));
        const int stringBytes = (static_cast<int>(s.size()) * 2 + 3) / 4 * 4;
        append32(b, emf::text::kSize);               // string offset
        append32(b, 0);                              // options
        for (int i = 0; i < 4; ++i) append32(b, 0);  // rectangle
        append32(b, static_cast<quint32>(emf::text::kSize + stringBytes)); // dx offset
        for (QChar c : s) append16(b, c.unicode());
        while ((b.size() + 8) % 4) b.append('\0');
        for (int i = 0; i < s.size(); ++i) append32(b, 20);
        raw(emf::EMR_EXTTEXTOUTW, b);
    }
    QByteArray finish(QRect bounds, QRect frame, int handles)
    {
        record(emf::EMR_EOF, {0, emf::eof::kSizeLast, emf::eof::kSize});
        QByteArray h;
        append32(h, emf::EMR_HEADER);
        append32(h, emf::header::kMinSize);
        for (int v : {bounds.left(), bounds.top(), bounds.right(), bounds.bottom(), frame.left(), frame.top(),
                      frame.right(), frame.bottom()})
            append32(h, static_cast<quint32>(v));
        append32(h, emf::header::kSignature);
        append32(h, emf::header::kVersion1);
        append32(h, static_cast<quint32>(emf::header::kMinSize + records_.size()));
        append32(h, static_cast<quint32>(count_ + 1));
        append16(h, static_cast<quint16>(handles));
        append16(h, 0);
        append32(h, 0); // description
        append32(h, 0);
        append32(h, 0); // palette entries
        // A reference device of exactly 96 dots per inch.
        for (int v : {960, 480, 254, 127}) append32(h, static_cast<quint32>(v));
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
    append32(b, static_cast<quint32>(14 + 40 + 8 + bits.size()));
    append32(b, 0);
    append32(b, 14 + 40 + 8);
    append32(b, 40);
    append32(b, 4);  // width
    append32(b, 2);  // height
    append16(b, 1);  // planes
    append16(b, 8);  // bits per pixel
    append32(b, 1);  // BI_RLE8
    append32(b, static_cast<quint32>(bits.size()));
    append32(b, 2835);
    append32(b, 2835);
    append32(b, 2); // colours used
    append32(b, 0);
    append32(b, 0x00FFFFFF); // index 0: white (B, G, R, 0)
    append32(b, 0x00FF0000); // index 1: red
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
    append16(b, 6);
    append16(b, 3);
    append16(b, 0);
    for (int v : {10, 128, 250}) {
        append16(b, 3); // run count, value, end of line
        b.append(static_cast<char>(0x80 | 6));
        b.append(static_cast<char>(v));
        b.append('\0');
    }
    return b;
}

QByteArray animatorCel(int w, int h)
{
    QByteArray b;
    append16(b, 0x9119);
    append16(b, static_cast<quint16>(w));
    append16(b, static_cast<quint16>(h));
    append16(b, 0);
    append16(b, 0);
    b.append(char(8));
    b.append(char(0));
    append32(b, static_cast<quint32>(w * h));
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
    using namespace emf;
    EmfWriter e;
    e.record(EMR_CREATEBRUSHINDIRECT, {1, BS_SOLID, 0x00FFFFFF, 0}); // white brush
    e.record(EMR_SELECTOBJECT, {1});
    e.record(EMR_SELECTOBJECT, {stockObject(NULL_PEN)});
    e.record(EMR_RECTANGLE, {0, 0, 100, 50});
    e.record(EMR_CREATEBRUSHINDIRECT, {2, BS_SOLID, 0x000000FF, 0}); // red brush
    e.record(EMR_SELECTOBJECT, {2});
    e.record(EMR_RECTANGLE, {10, 10, 60, 40});
    e.record(EMR_SELECTOBJECT, {stockObject(BLACK_BRUSH)});
    e.record(EMR_ELLIPSE, {70, 10, 90, 30});
    e.record(EMR_DELETEOBJECT, {1});
    e.record(EMR_DELETEOBJECT, {2});
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
    using namespace emf;
    EmfWriter e;
    e.record(EMR_SETMAPMODE, {MM_HIMETRIC}); // 0.01 mm, y up
    e.record(EMR_CREATEBRUSHINDIRECT, {1, BS_SOLID, 0x00FFFFFF, 0});
    e.record(EMR_SELECTOBJECT, {1});
    e.record(EMR_SELECTOBJECT, {stockObject(NULL_PEN)});
    e.record(EMR_RECTANGLE, {0, 0, 2646, -1323});
    e.record(EMR_CREATEBRUSHINDIRECT, {2, BS_SOLID, 0x000000FF, 0});
    e.record(EMR_SELECTOBJECT, {2});
    e.record(EMR_RECTANGLE, {265, -265, 1587, -1058});
    e.record(EMR_SETBKMODE, {TRANSPARENT});
    e.record(EMR_SETTEXTCOLOR, {0}); // black
    e.font(3, -700);
    e.record(EMR_SELECTOBJECT, {3});
    e.text(1850, -265, QStringLiteral("Ж"));
    return e.finish(QRect(QPoint(0, 0), QPoint(99, 49)), QRect(QPoint(0, 0), QPoint(2646, 1323)), 4);
}

QByteArray wmfFile()
{
    using namespace wmf;
    QByteArray recs;
    auto rec = [&recs](quint16 function, std::initializer_list<int> params) {
        append32(recs, static_cast<quint32>(record::kSize / 2 + params.size()));
        append16(recs, function);
        for (int p : params) append16(recs, static_cast<quint16>(p));
    };
    rec(META_SETWINDOWORG, {0, 0});                  // y, x
    rec(META_SETWINDOWEXT, {50, 100});               // height, width
    rec(META_CREATEPENINDIRECT, {PS_NULL, 0, 0, 0, 0}); // slot 0
    rec(META_SELECTOBJECT, {0});
    rec(META_CREATEBRUSHINDIRECT, {BS_SOLID, 0x00FF, 0, 0});  // red: slot 1
    rec(META_SELECTOBJECT, {1});
    rec(META_DELETEOBJECT, {1});                     // frees slot 1 (still selected)
    rec(META_CREATEBRUSHINDIRECT, {BS_SOLID, 0xFF00, 0x0000, 0}); // a green brush takes slot 1 again, unused
    rec(META_RECTANGLE, {40, 60, 10, 10});           // bottom, right, top, left
    rec(META_EOF, {});
    QByteArray head;
    append16(head, header::kMemory);
    append16(head, header::kSize / 2);
    append16(head, header::kVersion300);
    append32(head, static_cast<quint32>(header::kSize / 2 + recs.size() / 2));
    append16(head, 2);
    append32(head, 8);
    append16(head, 0);
    QByteArray place;
    append32(place, placeable::kKey);
    append16(place, 0);
    for (int v : {0, 0, 100, 50}) append16(place, static_cast<quint16>(v));
    append16(place, 96);
    append32(place, 0);
    append16(place, placeable::checksum(reinterpret_cast<const uchar*>(place.constData())));
    return place + head + recs;
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
