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

namespace klt::gdi {

// Values of the GDI constants the writers use.
enum : std::uint32_t {
    PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
    PS_ENDCAP_ROUND = 0x0000, PS_ENDCAP_SQUARE = 0x0100, PS_ENDCAP_FLAT = 0x0200,
    PS_JOIN_ROUND = 0x0000, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000,
    PS_GEOMETRIC = 0x00010000,
    BS_SOLID = 0, BS_NULL = 1,
    TRANSPARENT = 1, OPAQUE = 2,
    ALTERNATE = 1, WINDING = 2,
    TA_BASELINE = 24,
    DEFAULT_CHARSET = 1, RUSSIAN_CHARSET = 204,
};

// COLORREF: 0x00BBGGRR.
inline std::uint32_t colorRef(QRgb c) { return qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16); }

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
    void u16(unsigned v) { u8(v); u8(v >> 8); }
    void u32(std::uint32_t v) { u16(v & 0xffff); u16(v >> 16); }
    void i16(int v) { u16(static_cast<unsigned>(v) & 0xffff); }
    void i32(int v) { u32(static_cast<std::uint32_t>(v)); }
    void f32(float v);
    void bytes(const QByteArray& b) { data.append(b); }
    void zeros(int n) { data.append(QByteArray(n, '\0')); }
    void pad(int multiple) { while (data.size() % multiple) u8(0); }
    qsizetype size() const { return data.size(); }
    void put32(qsizetype at, std::uint32_t v);
    void put16(qsizetype at, unsigned v);
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
