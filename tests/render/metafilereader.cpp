#include "metafilereader.h"

#include <QPainter>
#include <cmath>
#include <map>

#include "core/cp1251.h"
#include "metafile/layout.h"

namespace mfr {

namespace {

using namespace klt::gdi;

// Reads inside the file; 0 past its end.
const unsigned char* bytesAt(const QByteArray& d, qsizetype at, int bytes)
{
    return at < 0 || at + bytes > d.size() ? nullptr : reinterpret_cast<const unsigned char*>(d.constData() + at);
}
std::uint32_t u32(const QByteArray& d, qsizetype a)
{
    const auto* p = bytesAt(d, a, 4);
    return p ? klt::le::u32(p) : 0;
}
std::int32_t i32(const QByteArray& d, qsizetype a)
{
    return static_cast<std::int32_t>(u32(d, a));
}
unsigned u16(const QByteArray& d, qsizetype a)
{
    const auto* p = bytesAt(d, a, 2);
    return p ? klt::le::u16(p) : 0;
}
int i16(const QByteArray& d, qsizetype a)
{
    return static_cast<std::int16_t>(u16(d, a));
}
QRgb fromRef(std::uint32_t c)
{
    return qRgb(colorRefRed(c), colorRefGreen(c), colorRefBlue(c));
}

struct Object {
    char kind = 0; // 'p', 'b', 'f'
    QString face;
    int height = 0;
    unsigned style = 0;
    int width = 0;
    QRgb color = 0;
};

// The device context's selected objects and what checking them needs.
struct Context {
    std::map<int, Object> table;
    std::map<char, int> selected;
    QRgb textColor = 0;
    QStringList* problems;

    void create(int index, const Object& o, qsizetype at)
    {
        if (table.count(index)) problems->append(QStringLiteral("object %1 created twice at %2").arg(index).arg(at));
        table[index] = o;
    }
    void select(int index, qsizetype at)
    {
        auto it = table.find(index);
        if (it == table.end()) {
            problems->append(QStringLiteral("selects missing object %1 at %2").arg(index).arg(at));
            return;
        }
        selected[it->second.kind] = index;
    }
    void remove(int index, qsizetype at)
    {
        auto it = table.find(index);
        if (it == table.end()) {
            problems->append(QStringLiteral("deletes missing object %1 at %2").arg(index).arg(at));
            return;
        }
        if (selected.count(it->second.kind) && selected[it->second.kind] == index)
            problems->append(QStringLiteral("deletes selected object %1 at %2").arg(index).arg(at));
        table.erase(it);
    }
    const Object* current(char kind) const
    {
        auto s = selected.find(kind);
        if (s == selected.end()) return nullptr;
        auto it = table.find(s->second);
        return it == table.end() ? nullptr : &it->second;
    }
};

} // namespace

Drawing readEmf(const QByteArray& f)
{
    using namespace klt::emf;
    Drawing d;
    if (f.size() < header::kSize || u32(f, record::kType) != EMR_HEADER) {
        d.problems << QStringLiteral("no EMF header");
        return d;
    }
    if (u32(f, header::kSignatureAt) != header::kSignature) d.problems << QStringLiteral("bad signature");
    if (u32(f, header::kBytes) != static_cast<std::uint32_t>(f.size()))
        d.problems << QStringLiteral("header size differs from file size");
    const int bounds = header::kBounds;
    d.bounds = QRect(QPoint(i32(f, bounds), i32(f, bounds + 4)), QPoint(i32(f, bounds + 8), i32(f, bounds + 12)));
    d.objectTable = static_cast<int>(u16(f, header::kHandles));
    if (i32(f, header::kMillimeters) > 0)
        d.dpi = static_cast<int>(std::lround(i32(f, header::kDevice) * 25.4 / i32(f, header::kMillimeters)));

    Context cx{{}, {}, 0, &d.problems};
    qsizetype pos = 0;
    std::uint32_t count = 0, lastType = 0;
    while (pos < f.size()) {
        const std::uint32_t type = u32(f, pos + record::kType), size = u32(f, pos + record::kSize);
        if (size < record::kFields || size % 4 || pos + size > static_cast<std::uint32_t>(f.size())) {
            d.problems << QStringLiteral("bad record size %1 at %2").arg(size).arg(pos);
            break;
        }
        ++count;
        lastType = type;
        const qsizetype r = pos;
        auto within = [&](qsizetype end) {
            if (end > static_cast<qsizetype>(size)) d.problems << QStringLiteral("record %1 at %2 too short").arg(type).arg(r);
        };
        auto index = [&](qsizetype at) {
            const int i = static_cast<int>(u32(f, r + at));
            if (i < 1 || i >= d.objectTable) d.problems << QStringLiteral("object index %1 outside the table at %2").arg(i).arg(r);
            return i;
        };
        switch (type) {
        case EMR_CREATEPEN: {
            within(pen::kSize);
            Object o{'p', {}, 0, u32(f, r + pen::kStyle), i32(f, r + pen::kWidth), fromRef(u32(f, r + pen::kColor))};
            d.penWidths.push_back(o.width);
            cx.create(index(pen::kIndex), o, r);
            break;
        }
        case EMR_EXTCREATEPEN: {
            within(extpen::kSize);
            Object o{'p', {}, 0, u32(f, r + extpen::kStyle) & 0xffff, i32(f, r + extpen::kWidth),
                     fromRef(u32(f, r + extpen::kColor))};
            d.penWidths.push_back(o.width);
            cx.create(index(extpen::kIndex), o, r);
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            within(brush::kSize);
            cx.create(index(brush::kIndex), Object{'b', {}, 0, u32(f, r + brush::kStyle), 0, fromRef(u32(f, r + brush::kColor))}, r);
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            within(font::kHeight + font::kLogFontSize);
            QString face;
            for (int i = 0; i < kFaceNameChars && u16(f, r + font::kFaceName + 2 * i); ++i)
                face += QChar(u16(f, r + font::kFaceName + 2 * i));
            cx.create(index(font::kIndex), Object{'f', face, i32(f, r + font::kHeight), 0, 0, 0}, r);
            break;
        }
        case EMR_SELECTOBJECT: {
            const std::uint32_t i = u32(f, r + kValue);
            if (!(i & ENHMETA_STOCK_OBJECT)) cx.select(static_cast<int>(i), r);
            break;
        }
        case EMR_DELETEOBJECT: cx.remove(static_cast<int>(u32(f, r + kValue)), r); break;
        case EMR_SETTEXTCOLOR: cx.textColor = fromRef(u32(f, r + kValue)); break;
        case EMR_RECTANGLE: {
            within(record::kFields + 16);
            const qsizetype b = r + record::kFields;
            d.rectangles.push_back(QRect(QPoint(i32(f, b), i32(f, b + 4)), QPoint(i32(f, b + 8), i32(f, b + 12))));
            break;
        }
        case EMR_EXTTEXTOUTW: {
            const std::uint32_t n = u32(f, r + text::kChars), offString = u32(f, r + text::kStringOffset);
            const std::uint32_t offDx = u32(f, r + text::kDxOffset);
            within(offString + 2 * n);
            within(offDx + 4 * n);
            Text t;
            t.reference = QPoint(i32(f, r + text::kReference), i32(f, r + text::kReference + 4));
            for (std::uint32_t i = 0; i < n; ++i) t.text += QChar(u16(f, r + offString + 2 * i));
            if (const Object* font = cx.current('f')) {
                t.face = font->face;
                t.height = font->height;
            } else {
                d.problems << QStringLiteral("text without a font at %1").arg(r);
            }
            t.color = cx.textColor;
            d.texts.push_back(t);
            break;
        }
        case EMR_POLYGON16: case EMR_POLYLINE16: {
            within(poly::kPoints + 4 * u32(f, r + poly::kCount));
            (type == EMR_POLYGON16 ? d.polygons : d.polylines)++;
            break;
        }
        case EMR_POLYPOLYGON16: {
            const std::uint32_t polys = u32(f, r + poly::kPolyCount), total = u32(f, r + poly::kTotal);
            within(poly::kCounts + 4 * polys + 4 * total);
            d.polygons += static_cast<int>(polys);
            break;
        }
        case EMR_STRETCHDIBITS:
            within(u32(f, r + stretchdibits::kBitsOffset) + u32(f, r + stretchdibits::kBitsSize));
            d.images++;
            break;
        default: break;
        }
        pos += size;
    }
    if (count != u32(f, header::kRecords)) d.problems << QStringLiteral("record count %1, header says %2").arg(count).arg(u32(f, header::kRecords));
    if (lastType != EMR_EOF) d.problems << QStringLiteral("does not end with EOF");
    return d;
}

Drawing readWmf(const QByteArray& f)
{
    using namespace klt::wmf;
    Drawing d;
    if (f.size() < placeable::kSize + header::kSize || u32(f, placeable::kKeyAt) != placeable::kKey) {
        d.problems << QStringLiteral("no placeable header");
        return d;
    }
    if (placeable::checksum(bytesAt(f, 0, placeable::kSize)) != u16(f, placeable::kChecksum))
        d.problems << QStringLiteral("bad checksum");
    d.bounds = QRect(QPoint(i16(f, placeable::kLeft), i16(f, placeable::kTop)),
                     QPoint(i16(f, placeable::kRight), i16(f, placeable::kBottom)));
    d.dpi = static_cast<int>(u16(f, placeable::kInch));
    const qsizetype h = placeable::kSize;
    if (u16(f, h + header::kHeaderWords) != header::kSize / 2) d.problems << QStringLiteral("bad header size");
    if (u32(f, h + header::kFileWords) * 2 != static_cast<std::uint32_t>(f.size() - h))
        d.problems << QStringLiteral("header size differs from file size");
    d.objectTable = static_cast<int>(u16(f, h + header::kObjects));
    const std::uint32_t maxRecord = u32(f, h + header::kMaxRecordWords);

    Context cx{{}, {}, 0, &d.problems};
    // Created objects take the lowest free slot.
    auto create = [&](const Object& o, qsizetype at) {
        int i = 0;
        while (cx.table.count(i)) ++i;
        if (i >= d.objectTable) d.problems << QStringLiteral("object table full at %1").arg(at);
        cx.create(i, o, at);
    };
    qsizetype pos = h + header::kSize;
    std::uint32_t largest = 0;
    unsigned lastFunction = 0xffff;
    while (pos < f.size()) {
        const std::uint32_t words = u32(f, pos + record::kWords);
        const unsigned fn = u16(f, pos + record::kFunction);
        if (words < record::kSize / 2 || pos + 2 * qsizetype(words) > f.size()) {
            d.problems << QStringLiteral("bad record size %1 at %2").arg(words).arg(pos);
            break;
        }
        largest = std::max(largest, words);
        lastFunction = fn;
        const qsizetype r = pos, p = pos + record::kSize;
        const qsizetype size = 2 * qsizetype(words);
        auto within = [&](qsizetype end) {
            if (end > size) d.problems << QStringLiteral("record %1 at %2 too short").arg(fn, 0, 16).arg(r);
        };
        switch (fn) {
        case META_CREATEPENINDIRECT:
            within(record::kSize + pen::kSize);
            d.penWidths.push_back(i16(f, p + pen::kWidth));
            create(Object{'p', {}, 0, u16(f, p + pen::kStyle), i16(f, p + pen::kWidth), fromRef(u32(f, p + pen::kColor))}, r);
            break;
        case META_CREATEBRUSHINDIRECT:
            within(record::kSize + brush::kSize);
            create(Object{'b', {}, 0, u16(f, p + brush::kStyle), 0, fromRef(u32(f, p + brush::kColor))}, r);
            break;
        case META_CREATEFONTINDIRECT: {
            within(record::kSize + font::kSize);
            create(Object{'f', QString::fromLatin1(f.mid(p + font::kFaceName, kFaceNameChars).constData()),
                          i16(f, p + font::kHeight), 0, 0, 0},
                   r);
            break;
        }
        case META_SELECTOBJECT: cx.select(static_cast<int>(u16(f, p)), r); break;
        case META_DELETEOBJECT: cx.remove(static_cast<int>(u16(f, p)), r); break;
        case META_SETTEXTCOLOR: cx.textColor = fromRef(u32(f, p)); break;
        case META_RECTANGLE: // bottom, right, top, left
            within(record::kSize + 8);
            d.rectangles.push_back(QRect(QPoint(i16(f, p + 6), i16(f, p + 4)), QPoint(i16(f, p + 2), i16(f, p))));
            break;
        case META_EXTTEXTOUT: {
            namespace e = exttextout;
            const int n = i16(f, p + e::kCount);
            const unsigned opts = u16(f, p + e::kOptions);
            const qsizetype s = p + e::kString + ((opts & (ETO_OPAQUE | ETO_CLIPPED)) ? e::kRectangleSize : 0);
            within(s - r + ((n + 1) & ~1) + 2 * n);
            Text t;
            t.reference = QPoint(i16(f, p + e::kX), i16(f, p + e::kY));
            t.text = QString::fromStdString(klt::cp1251ToUtf8(f.mid(s, n).toStdString()));
            if (const Object* font = cx.current('f')) {
                t.face = font->face;
                t.height = font->height;
            } else {
                d.problems << QStringLiteral("text without a font at %1").arg(r);
            }
            t.color = cx.textColor;
            d.texts.push_back(t);
            break;
        }
        case META_POLYGON: within(record::kSize + 2 + 4 * i16(f, p)); d.polygons++; break;
        case META_POLYLINE: within(record::kSize + 2 + 4 * i16(f, p)); d.polylines++; break;
        case META_POLYPOLYGON: d.polygons += static_cast<int>(u16(f, p)); break;
        case META_STRETCHDIB: d.images++; break;
        default: break;
        }
        pos += size;
    }
    if (largest != maxRecord) d.problems << QStringLiteral("largest record %1 words, header says %2").arg(largest).arg(maxRecord);
    if (lastFunction != META_EOF) d.problems << QStringLiteral("does not end with EOF");
    return d;
}

QImage playEmfRectangles(const QByteArray& f, QSize size)
{
    using namespace klt::emf;
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    std::map<std::uint32_t, Object> table;
    Object pen{'p', {}, 0, 0, 0, qRgb(0, 0, 0)}, brush{'b', {}, 0, 0, 0, qRgb(255, 255, 255)};
    auto fill = [&](int l, int t, int r, int b, QRgb c) { // inclusive
        for (int y = std::max(0, t); y <= std::min(size.height() - 1, b); ++y)
            for (int x = std::max(0, l); x <= std::min(size.width() - 1, r); ++x) img.setPixel(x, y, c);
    };
    qsizetype pos = 0;
    while (pos + record::kFields <= f.size()) {
        const std::uint32_t type = u32(f, pos + record::kType), rsize = u32(f, pos + record::kSize);
        if (rsize < record::kFields) break;
        const qsizetype r = pos;
        if (type == EMR_CREATEPEN)
            table[u32(f, r + pen::kIndex)] =
                Object{'p', {}, 0, u32(f, r + pen::kStyle), i32(f, r + pen::kWidth), fromRef(u32(f, r + pen::kColor))};
        if (type == EMR_CREATEBRUSHINDIRECT)
            table[u32(f, r + brush::kIndex)] = Object{'b', {}, 0, u32(f, r + brush::kStyle), 0, fromRef(u32(f, r + brush::kColor))};
        if (type == EMR_SELECTOBJECT && table.count(u32(f, r + kValue))) {
            const Object& o = table[u32(f, r + kValue)];
            (o.kind == 'p' ? pen : brush) = o;
        }
        if (type == EMR_RECTANGLE) {
            const qsizetype b = r + record::kFields;
            const int left = i32(f, b), top = i32(f, b + 4), right = i32(f, b + 8), bottom = i32(f, b + 12);
            const bool outlined = (pen.style & PS_STYLE_MASK) != PS_NULL, filled = brush.style != BS_NULL;
            // GDI: the outline runs on the first and the last pixel inside the
            // box; without a pen the fill stops one pixel short of both edges.
            if (outlined) {
                if (filled) fill(left + 1, top + 1, right - 2, bottom - 2, brush.color);
                fill(left, top, right - 1, top, pen.color);
                fill(left, bottom - 1, right - 1, bottom - 1, pen.color);
                fill(left, top, left, bottom - 1, pen.color);
                fill(right - 1, top, right - 1, bottom - 1, pen.color);
            } else if (filled) {
                fill(left, top, right - 2, bottom - 2, brush.color);
            }
        }
        pos += rsize;
    }
    return img;
}

} // namespace mfr
