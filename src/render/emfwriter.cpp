// The enhanced metafile (EMF) form of a recorded picture.
#include <algorithm>
#include <cmath>

#include "render/gdirecords.h"

namespace klt::gdi {
namespace {

using namespace emf;

int clamp16(int v)
{
    return std::clamp(v, -32768, 32767);
}

class EmfWriter : public Writer {
public:
    explicit EmfWriter(const Reference& ref) : ref_(ref) {}

    Bytes out;
    int records = 0;

    void begin(std::uint32_t type)
    {
        start_ = out.size();
        out.u32(type);
        out.u32(0); // record::kSize, patched by end()
    }
    void end()
    {
        out.pad(4);
        out.put32(start_ + record::kSize, static_cast<std::uint32_t>(out.size() - start_));
        ++records;
    }
    void rectl(const QRect& r) // left, top, right(), bottom() as they stand
    {
        out.i32(r.left());
        out.i32(r.top());
        out.i32(r.right());
        out.i32(r.bottom());
    }
    void simple(std::uint32_t type, std::uint32_t value)
    {
        begin(type);
        out.u32(value);
        end();
    }

    int firstObjectIndex() const override { return 1; } // index 0 is reserved in EMF

    void createPen(int index, const Pen& pen) override
    {
        if (pen.width > 1) {
            // A wide pen keeps its caps and joins only as a geometric pen.
            begin(EMR_EXTCREATEPEN);
            out.u32(static_cast<std::uint32_t>(index));
            out.u32(0); // no brush bitmap
            out.u32(0);
            out.u32(0);
            out.u32(0);
            out.u32(PS_GEOMETRIC | pen.style);
            out.u32(static_cast<std::uint32_t>(pen.width));
            out.u32(BS_SOLID);
            out.u32(colorRef(pen.color));
            out.u32(0);
            out.u32(0);
            end();
            return;
        }
        begin(EMR_CREATEPEN);
        out.u32(static_cast<std::uint32_t>(index));
        out.u32(pen.style & PS_STYLE_MASK);
        out.i32(pen.width);
        out.i32(0);
        out.u32(colorRef(pen.color));
        end();
    }

    void createBrush(int index, const Brush& brush) override
    {
        begin(EMR_CREATEBRUSHINDIRECT);
        out.u32(static_cast<std::uint32_t>(index));
        out.u32(brush.null ? BS_NULL : BS_SOLID);
        out.u32(colorRef(brush.color));
        out.u32(0);
        end();
    }

    void createFont(int index, const Font& font) override
    {
        begin(EMR_EXTCREATEFONTINDIRECTW);
        out.u32(static_cast<std::uint32_t>(index));
        // LOGFONTW
        out.i32(font.height);
        out.i32(0);
        out.i32(font.escapement);
        out.i32(font.escapement);
        out.i32(font.weight);
        out.u8(font.italic);
        out.u8(font.underline);
        out.u8(font.strikeOut);
        out.u8(DEFAULT_CHARSET); // the text itself is UTF-16
        out.u8(0);
        out.u8(0);
        out.u8(0);
        out.u8(0);
        const QString face = font.face.left(kFaceNameChars - 1);
        for (int i = 0; i < kFaceNameChars; ++i) out.u16(i < face.size() ? face.at(i).unicode() : 0);
        // The rest of a LogFontPanose: full name, style, version fields, panose.
        out.zeros(font::kLogFontPanoseSize - font::kLogFontSize);
        end();
    }

    void selectObject(int index) override { simple(EMR_SELECTOBJECT, static_cast<std::uint32_t>(index)); }
    void deleteObject(int index) override { simple(EMR_DELETEOBJECT, static_cast<std::uint32_t>(index)); }
    void setTextColor(QRgb c) override { simple(EMR_SETTEXTCOLOR, colorRef(c)); }
    void setBackgroundMode(std::uint32_t mode) override { simple(EMR_SETBKMODE, mode); }
    void setBackgroundColor(QRgb c) override { simple(EMR_SETBKCOLOR, colorRef(c)); }
    void setTextAlign(std::uint32_t align) override { simple(EMR_SETTEXTALIGN, align); }
    void setPolyFillMode(std::uint32_t mode) override { simple(EMR_SETPOLYFILLMODE, mode); }

    void rectangle(const QRect& box) override
    {
        begin(EMR_RECTANGLE);
        rectl(box);
        end();
    }

    void points16(const QPolygon& p)
    {
        for (const QPoint& pt : p) {
            out.i16(clamp16(pt.x()));
            out.i16(clamp16(pt.y()));
        }
    }

    void polygons(const QList<QPolygon>& polys) override
    {
        QRect bounds;
        qsizetype total = 0;
        for (const QPolygon& p : polys) {
            bounds |= p.boundingRect();
            total += p.size();
        }
        if (polys.size() == 1) {
            begin(EMR_POLYGON16);
            rectl(bounds);
            out.u32(static_cast<std::uint32_t>(total));
            points16(polys.front());
            end();
            return;
        }
        begin(EMR_POLYPOLYGON16);
        rectl(bounds);
        out.u32(static_cast<std::uint32_t>(polys.size()));
        out.u32(static_cast<std::uint32_t>(total));
        for (const QPolygon& p : polys) out.u32(static_cast<std::uint32_t>(p.size()));
        for (const QPolygon& p : polys) points16(p);
        end();
    }

    void polyline(const QPolygon& points) override
    {
        begin(EMR_POLYLINE16);
        rectl(points.boundingRect());
        out.u32(static_cast<std::uint32_t>(points.size()));
        points16(points);
        end();
    }

    void textOut(const Op& op) override
    {
        const qsizetype n = op.text.size();
        const std::uint32_t offString = text::kSize;
        const std::uint32_t offDx = offString + static_cast<std::uint32_t>((n * 2 + 3) & ~qsizetype(3));
        begin(EMR_EXTTEXTOUTW);
        rectl(op.bounds);
        out.u32(GM_COMPATIBLE);
        // Page units (reference pixels) to 0.01 mm.
        out.f32(static_cast<float>(2540.0 / ref_.dpi));
        out.f32(static_cast<float>(2540.0 / ref_.dpi));
        out.i32(op.reference.x());
        out.i32(op.reference.y());
        out.u32(static_cast<std::uint32_t>(n));
        out.u32(offString);
        out.u32(0); // no options
        out.i32(0); // no clipping rectangle
        out.i32(0);
        out.i32(-1);
        out.i32(-1);
        out.u32(offDx);
        for (QChar ch : op.text) out.u16(ch.unicode());
        out.pad(4);
        for (qsizetype i = 0; i < n; ++i) out.i32(op.advances.value(i));
        end();
    }

    void image(const QRect& target, const QImage& img) override
    {
        const QByteArray header = dibHeader(img), bits = dibBits(img);
        begin(EMR_STRETCHDIBITS);
        rectl(target);
        out.i32(target.left());
        out.i32(target.top());
        out.i32(0);
        out.i32(0);
        out.i32(img.width());
        out.i32(img.height());
        out.u32(stretchdibits::kSize);
        out.u32(static_cast<std::uint32_t>(header.size()));
        out.u32(stretchdibits::kSize + static_cast<std::uint32_t>(header.size()));
        out.u32(static_cast<std::uint32_t>(bits.size()));
        out.u32(DIB_RGB_COLORS);
        out.u32(SRCCOPY);
        out.i32(target.width());
        out.i32(target.height());
        out.bytes(header);
        out.bytes(bits);
        end();
    }

private:
    Reference ref_;
    qsizetype start_ = 0;
};

int toMillimetres(int pixels, int dpi, double unitsPerInch)
{
    return static_cast<int>(std::lround(pixels * unitsPerInch / dpi));
}

} // namespace

QByteArray writeEmf(const std::vector<Op>& ops, QSize size, const Reference& ref)
{
    EmfWriter w(ref);
    Bytes& b = w.out;
    w.begin(EMR_HEADER);
    // Bounds in reference pixels and frame in 0.01 mm, both inclusive.
    w.rectl(QRect(0, 0, size.width(), size.height()));
    const int frameW = toMillimetres(size.width(), ref.dpi, 2540.0);
    const int frameH = toMillimetres(size.height(), ref.dpi, 2540.0);
    w.rectl(QRect(QPoint(0, 0), QPoint(std::max(0, frameW - 1), std::max(0, frameH - 1))));
    b.u32(header::kSignature);
    b.u32(header::kVersion1);
    b.u32(0); // file size, record count and object table size, patched below
    b.u32(0);
    b.u16(0);
    b.u16(0);
    b.u32(0); // no description
    b.u32(0);
    b.u32(0); // no palette
    b.i32(ref.pixels.width());
    b.i32(ref.pixels.height());
    b.i32(toMillimetres(ref.pixels.width(), ref.dpi, 25.4));
    b.i32(toMillimetres(ref.pixels.height(), ref.dpi, 25.4));
    b.u32(0); // no pixel format
    b.u32(0);
    b.u32(0); // not OpenGL
    b.i32(toMillimetres(ref.pixels.width(), ref.dpi, 25400.0));
    b.i32(toMillimetres(ref.pixels.height(), ref.dpi, 25400.0));
    w.end();

    const int handles = play(ops, w);

    w.begin(EMR_EOF);
    b.u32(0);                 // no palette entries
    b.u32(eof::kSizeLast);    // where they would start
    b.u32(eof::kSize);        // this record's size, repeated at its end
    w.end();

    b.put32(header::kBytes, static_cast<std::uint32_t>(b.size()));
    b.put32(header::kRecords, static_cast<std::uint32_t>(w.records));
    b.put16(header::kHandles, static_cast<unsigned>(std::max(1, handles)));
    return b.data;
}

} // namespace klt::gdi
