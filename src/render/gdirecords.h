#pragma once
// The drawing a Metafile records, in the terms both metafile formats share
// (GDI pens, brushes, fonts and shapes in device units), and the driver that
// turns it into one format's records. Internal to the metafile writers.
#include <QImage>
#include <QList>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

#include "metafile/layout.h"

namespace klt::gdi {

// COLORREF: 0x00BBGGRR.
inline std::uint32_t colorRef(QRgb c) { return colorRef(qRed(c), qGreen(c), qBlue(c)); }

struct Pen {
    std::uint32_t style = PS_NULL; // line style with cap and join bits
    int width = 0;                 // 0 and 1 draw one pixel
    QRgb color = 0;
    bool operator==(const Pen&) const = default;
};

struct Brush {
    bool null = true;
    QRgb color = 0;
    bool operator==(const Brush&) const = default;
};

struct Font {
    QString face;
    int height = 0; // negative: the em height in device units
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    int escapement = 0; // tenths of a degree, counter-clockwise
    bool operator==(const Font&) const = default;
};

enum class Shape { Rectangle, Polygons, Polyline, Text, Image };

// One drawing call with the state it needs.
struct Op {
    Shape shape = Shape::Rectangle;
    Pen pen;
    Brush brush;
    std::uint32_t fillMode = ALTERNATE;
    QRect box;               // Rectangle: left, top and exclusive right, bottom; Image: the target
    QList<QPolygon> polygons; // Polygons (filled, closed) or the one Polyline
    Font font;               // Text
    QRgb textColor = 0;
    bool opaque = false;     // text background mode
    QRgb background = 0xffffffff;
    QPoint reference;        // the text's baseline start
    QString text;
    QList<int> advances;     // per UTF-16 unit
    QRect bounds;            // what the text covers, for the record bounds
    QImage image;            // Image: 32-bit RGB
};

// One metafile format's records. Object indices come from the driver.
class Writer {
public:
    virtual ~Writer() = default;
    virtual int firstObjectIndex() const = 0;
    virtual void createPen(int index, const Pen& pen) = 0;
    virtual void createBrush(int index, const Brush& brush) = 0;
    virtual void createFont(int index, const Font& font) = 0;
    virtual void selectObject(int index) = 0;
    virtual void deleteObject(int index) = 0;
    virtual void setTextColor(QRgb c) = 0;
    virtual void setBackgroundMode(std::uint32_t mode) = 0;
    virtual void setBackgroundColor(QRgb c) = 0;
    virtual void setTextAlign(std::uint32_t align) = 0;
    virtual void setPolyFillMode(std::uint32_t mode) = 0;
    virtual void rectangle(const QRect& box) = 0;
    virtual void polygons(const QList<QPolygon>& polygons) = 0;
    virtual void polyline(const QPolygon& points) = 0;
    virtual void textOut(const Op& op) = 0;
    virtual void image(const QRect& target, const QImage& image) = 0;
};

// Plays the ops into the writer, creating, selecting and deleting objects
// only when the state changes. Returns the size of the object table used.
int play(const std::vector<Op>& ops, Writer& writer);

// Little-endian output of both formats.
class Bytes {
public:
    QByteArray data;
    void u8(unsigned v) { data.append(static_cast<char>(v & 0xff)); }
    void u16(unsigned v) { le::append16(data, v); }
    void u32(std::uint32_t v) { le::append32(data, v); }
    void i16(int v) { u16(static_cast<unsigned>(v) & 0xffff); }
    void i32(int v) { u32(static_cast<std::uint32_t>(v)); }
    void f32(float v);
    void bytes(const QByteArray& b) { data.append(b); }
    void zeros(int n) { data.append(QByteArray(n, '\0')); }
    void pad(int multiple) { while (data.size() % multiple) u8(0); }
    qsizetype size() const { return data.size(); }
    void put32(qsizetype at, std::uint32_t v) { le::put32(reinterpret_cast<unsigned char*>(data.data() + at), v); }
    void put16(qsizetype at, unsigned v)
    {
        le::put16(reinterpret_cast<unsigned char*>(data.data() + at), static_cast<std::uint16_t>(v));
    }
};

// A packed device-independent bitmap of a 24-bit RGB image: header, then
// bottom-up rows padded to four bytes.
QByteArray dibHeader(const QImage& image);
QByteArray dibBits(const QImage& image);

// The reference device a metafile is recorded for: its resolution and its
// size in pixels (an EMF header names both).
struct Reference {
    int dpi = 96;
    QSize pixels{1920, 1080};
};

// Whole files: an enhanced metafile, or a 16-bit Windows metafile behind the
// 22-byte placeable header. size is the picture in reference pixels.
QByteArray writeEmf(const std::vector<Op>& ops, QSize size, const Reference& ref);
QByteArray writePlaceableWmf(const std::vector<Op>& ops, QSize size, const Reference& ref);

} // namespace klt::gdi
