// The 16-bit Windows metafile form of a recorded picture, behind the
// placeable header that gives its bounds and resolution.
#include <algorithm>

#include "core/cp1251.h"
#include "render/gdirecords.h"

namespace klt::gdi {
namespace {

using namespace wmf;

int clamp16(int v)
{
    return std::clamp(v, -32768, 32767);
}

class WmfWriter : public Writer {
public:
    Bytes out;
    std::uint32_t maxRecord = 0; // in 16-bit words

    void begin(unsigned function)
    {
        start_ = out.size();
        out.u32(0); // record::kWords, patched by end()
        out.u16(function);
    }
    void end()
    {
        out.pad(2);
        const auto words = static_cast<std::uint32_t>((out.size() - start_) / 2);
        out.put32(start_ + record::kWords, words);
        maxRecord = std::max(maxRecord, words);
    }
    void simple(unsigned function, unsigned value)
    {
        begin(function);
        out.u16(value);
        end();
    }
    void colorRecord(unsigned function, QRgb c)
    {
        begin(function);
        out.u32(colorRef(c));
        end();
    }
    // Parameters of the 16-bit records come in reverse order: y before x.
    void point(int x, int y)
    {
        out.i16(clamp16(x));
        out.i16(clamp16(y));
    }
    void points(const QPolygon& p)
    {
        for (const QPoint& pt : p) point(pt.x(), pt.y());
    }

    int firstObjectIndex() const override { return 0; }

    void createPen(int, const Pen& pen) override
    {
        begin(META_CREATEPENINDIRECT);
        out.u16(pen.style);
        out.i16(clamp16(pen.width));
        out.i16(0);
        out.u32(colorRef(pen.color));
        end();
    }

    void createBrush(int, const Brush& brush) override
    {
        begin(META_CREATEBRUSHINDIRECT);
        out.u16(brush.null ? BS_NULL : BS_SOLID);
        out.u32(colorRef(brush.color));
        out.u16(0);
        end();
    }

    void createFont(int, const Font& font) override
    {
        begin(META_CREATEFONTINDIRECT);
        out.i16(clamp16(font.height));
        out.i16(0);
        out.i16(clamp16(font.escapement));
        out.i16(clamp16(font.escapement));
        out.i16(font.weight);
        out.u8(font.italic);
        out.u8(font.underline);
        out.u8(font.strikeOut);
        // The text is written in Windows-1251.
        out.u8(RUSSIAN_CHARSET);
        out.u8(0);
        out.u8(0);
        out.u8(0);
        out.u8(0);
        QByteArray face =
            QByteArray::fromStdString(utf8ToCp1251(font.face.toStdString())).left(kFaceNameChars - 1);
        face.resize(kFaceNameChars, '\0');
        out.bytes(face);
        end();
    }

    void selectObject(int index) override { simple(META_SELECTOBJECT, static_cast<unsigned>(index)); }
    void deleteObject(int index) override { simple(META_DELETEOBJECT, static_cast<unsigned>(index)); }
    void setTextColor(QRgb c) override { colorRecord(META_SETTEXTCOLOR, c); }
    void setBackgroundMode(std::uint32_t mode) override { simple(META_SETBKMODE, mode); }
    void setBackgroundColor(QRgb c) override { colorRecord(META_SETBKCOLOR, c); }
    void setTextAlign(std::uint32_t align) override { simple(META_SETTEXTALIGN, align); }
    void setPolyFillMode(std::uint32_t mode) override { simple(META_SETPOLYFILLMODE, mode); }

    void rectangle(const QRect& box) override
    {
        begin(META_RECTANGLE);
        out.i16(clamp16(box.bottom()));
        out.i16(clamp16(box.right()));
        out.i16(clamp16(box.top()));
        out.i16(clamp16(box.left()));
        end();
    }

    void polygons(const QList<QPolygon>& polys) override
    {
        if (polys.size() == 1) {
            begin(META_POLYGON);
            out.i16(static_cast<int>(polys.front().size()));
            points(polys.front());
            end();
            return;
        }
        begin(META_POLYPOLYGON);
        out.u16(static_cast<unsigned>(polys.size()));
        for (const QPolygon& p : polys) out.u16(static_cast<unsigned>(p.size()));
        for (const QPolygon& p : polys) points(p);
        end();
    }

    void polyline(const QPolygon& p) override
    {
        begin(META_POLYLINE);
        out.i16(static_cast<int>(p.size()));
        points(p);
        end();
    }

    void textOut(const Op& op) override
    {
        // One byte per character; a character's advance covers all its UTF-16 units.
        QByteArray bytes;
        QList<int> dx;
        for (qsizetype i = 0; i < op.text.size();) {
            const qsizetype units = op.text.at(i).isHighSurrogate() && i + 1 < op.text.size() ? 2 : 1;
            const std::string one = utf8ToCp1251(op.text.mid(i, units).toStdString());
            bytes.append(one.empty() ? '?' : one.front());
            int advance = 0;
            for (qsizetype k = 0; k < units; ++k) advance += op.advances.value(i + k);
            dx.append(advance);
            i += units;
        }
        begin(META_EXTTEXTOUT);
        out.i16(clamp16(op.reference.y()));
        out.i16(clamp16(op.reference.x()));
        out.i16(static_cast<int>(bytes.size()));
        out.u16(0); // no options, so no rectangle follows
        out.bytes(bytes);
        out.pad(2);
        for (int d : dx) out.i16(clamp16(d));
        end();
    }

    void image(const QRect& target, const QImage& img) override
    {
        begin(META_STRETCHDIB);
        out.u32(SRCCOPY);
        out.u16(DIB_RGB_COLORS);
        out.i16(img.height());
        out.i16(img.width());
        out.i16(0);
        out.i16(0);
        out.i16(clamp16(target.height()));
        out.i16(clamp16(target.width()));
        out.i16(clamp16(target.top()));
        out.i16(clamp16(target.left()));
        out.bytes(dibHeader(img));
        out.bytes(dibBits(img));
        end();
    }

private:
    qsizetype start_ = 0;
};

} // namespace

QByteArray writePlaceableWmf(const std::vector<Op>& ops, QSize size, const Reference& ref)
{
    WmfWriter w;
    Bytes& b = w.out;
    // Standard header; size, object count and largest record are patched below.
    b.u16(header::kMemory);
    b.u16(header::kSize / 2);
    b.u16(header::kVersion300);
    b.u32(0);
    b.u16(0);
    b.u32(0);
    b.u16(0);

    // Logical units are reference pixels; the placeable header sets the scale.
    w.begin(META_SETWINDOWORG);
    w.point(0, 0);
    w.end();
    w.begin(META_SETWINDOWEXT);
    w.out.i16(clamp16(size.height()));
    w.out.i16(clamp16(size.width()));
    w.end();

    const int objects = play(ops, w);

    w.begin(META_EOF);
    w.end();

    b.put32(header::kFileWords, static_cast<std::uint32_t>(b.size() / 2));
    b.put16(header::kObjects, static_cast<unsigned>(objects));
    b.put32(header::kMaxRecordWords, w.maxRecord);

    Bytes head;
    head.u32(placeable::kKey);
    head.u16(0);
    head.i16(0);
    head.i16(0);
    head.i16(clamp16(size.width()));
    head.i16(clamp16(size.height()));
    head.u16(static_cast<unsigned>(ref.dpi));
    head.u32(0);
    head.u16(placeable::checksum(reinterpret_cast<const unsigned char*>(head.data.constData())));
    head.bytes(b.data);
    return head.data;
}

} // namespace klt::gdi
