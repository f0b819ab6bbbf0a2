#include "metafilereader.h"

#include <QPainter>
#include <cmath>
#include <map>

#include "core/cp1251.h"

namespace mfr {

namespace {

std::uint32_t u32(const QByteArray& d, qsizetype at)
{
    if (at < 0 || at + 4 > d.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(d.constData() + at);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::int32_t i32(const QByteArray& d, qsizetype at)
{
    return static_cast<std::int32_t>(u32(d, at));
}
unsigned u16(const QByteArray& d, qsizetype at)
{
    if (at < 0 || at + 2 > d.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(d.constData() + at);
    return p[0] | (p[1] << 8);
}
int i16(const QByteArray& d, qsizetype at)
{
    return static_cast<std::int16_t>(u16(d, at));
}
QRgb fromRef(std::uint32_t c)
{
    return qRgb(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
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
    Drawing d;
    if (f.size() < 108 || u32(f, 0) != 1) {
        d.problems << QStringLiteral("no EMF header");
        return d;
    }
    if (u32(f, 40) != 0x464D4520) d.problems << QStringLiteral("bad signature");
    if (u32(f, 48) != static_cast<std::uint32_t>(f.size())) d.problems << QStringLiteral("header size differs from file size");
    d.bounds = QRect(QPoint(i32(f, 8), i32(f, 12)), QPoint(i32(f, 16), i32(f, 20)));
    d.objectTable = static_cast<int>(u16(f, 56));
    if (i32(f, 80) > 0) d.dpi = static_cast<int>(std::lround(i32(f, 72) * 25.4 / i32(f, 80)));

    Context cx{{}, {}, 0, &d.problems};
    qsizetype pos = 0;
    std::uint32_t count = 0, lastType = 0;
    while (pos < f.size()) {
        const std::uint32_t type = u32(f, pos), size = u32(f, pos + 4);
        if (size < 8 || size % 4 || pos + size > static_cast<std::uint32_t>(f.size())) {
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
        case 38: { // CREATEPEN
            within(28);
            Object o{'p', {}, 0, u32(f, r + 12), i32(f, r + 16), fromRef(u32(f, r + 24))};
            d.penWidths.push_back(o.width);
            cx.create(index(8), o, r);
            break;
        }
        case 95: { // EXTCREATEPEN
            within(52);
            Object o{'p', {}, 0, u32(f, r + 28) & 0xffff, i32(f, r + 32), fromRef(u32(f, r + 40))};
            d.penWidths.push_back(o.width);
            cx.create(index(8), o, r);
            break;
        }
        case 39: { // CREATEBRUSHINDIRECT
            within(24);
            cx.create(index(8), Object{'b', {}, 0, u32(f, r + 12), 0, fromRef(u32(f, r + 16))}, r);
            break;
        }
        case 82: { // EXTCREATEFONTINDIRECTW
            within(12 + 92);
            QString face;
            for (int i = 0; i < 32 && u16(f, r + 40 + 2 * i); ++i) face += QChar(u16(f, r + 40 + 2 * i));
            cx.create(index(8), Object{'f', face, i32(f, r + 12), 0, 0, 0}, r);
            break;
        }
        case 37: { // SELECTOBJECT
            const std::uint32_t i = u32(f, r + 8);
            if (!(i & 0x80000000u)) cx.select(static_cast<int>(i), r);
            break;
        }
        case 40: cx.remove(static_cast<int>(u32(f, r + 8)), r); break;
        case 24: cx.textColor = fromRef(u32(f, r + 8)); break;
        case 43: // RECTANGLE
            within(24);
            d.rectangles.push_back(QRect(QPoint(i32(f, r + 8), i32(f, r + 12)), QPoint(i32(f, r + 16), i32(f, r + 20))));
            break;
        case 84: { // EXTTEXTOUTW
            const std::uint32_t n = u32(f, r + 44), offString = u32(f, r + 48), offDx = u32(f, r + 72);
            within(offString + 2 * n);
            within(offDx + 4 * n);
            Text t;
            t.reference = QPoint(i32(f, r + 36), i32(f, r + 40));
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
        case 86: case 87: { // POLYGON16, POLYLINE16
            within(28 + 4 * u32(f, r + 24));
            (type == 86 ? d.polygons : d.polylines)++;
            break;
        }
        case 91: { // POLYPOLYGON16
            const std::uint32_t polys = u32(f, r + 24), total = u32(f, r + 28);
            within(32 + 4 * polys + 4 * total);
            d.polygons += static_cast<int>(polys);
            break;
        }
        case 81: // STRETCHDIBITS
            within(u32(f, r + 56) + u32(f, r + 60));
            d.images++;
            break;
        default: break;
        }
        pos += size;
    }
    if (count != u32(f, 52)) d.problems << QStringLiteral("record count %1, header says %2").arg(count).arg(u32(f, 52));
    if (lastType != 14) d.problems << QStringLiteral("does not end with EOF");
    return d;
}

Drawing readWmf(const QByteArray& f)
{
    Drawing d;
    if (f.size() < 22 + 18 || u32(f, 0) != 0x9AC6CDD7u) {
        d.problems << QStringLiteral("no placeable header");
        return d;
    }
    unsigned sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= u16(f, 2 * i);
    if (sum != u16(f, 20)) d.problems << QStringLiteral("bad checksum");
    d.bounds = QRect(QPoint(i16(f, 6), i16(f, 8)), QPoint(i16(f, 10), i16(f, 12)));
    d.dpi = static_cast<int>(u16(f, 14));
    const qsizetype h = 22;
    if (u16(f, h + 2) != 9) d.problems << QStringLiteral("bad header size");
    if (u32(f, h + 6) * 2 != static_cast<std::uint32_t>(f.size() - h)) d.problems << QStringLiteral("header size differs from file size");
    d.objectTable = static_cast<int>(u16(f, h + 10));
    const std::uint32_t maxRecord = u32(f, h + 12);

    Context cx{{}, {}, 0, &d.problems};
    // Created objects take the lowest free slot.
    auto create = [&](const Object& o, qsizetype at) {
        int i = 0;
        while (cx.table.count(i)) ++i;
        if (i >= d.objectTable) d.problems << QStringLiteral("object table full at %1").arg(at);
        cx.create(i, o, at);
    };
    qsizetype pos = h + 18;
    std::uint32_t largest = 0;
    unsigned lastFunction = 0xffff;
    while (pos < f.size()) {
        const std::uint32_t words = u32(f, pos);
        const unsigned fn = u16(f, pos + 4);
        if (words < 3 || pos + 2 * qsizetype(words) > f.size()) {
            d.problems << QStringLiteral("bad record size %1 at %2").arg(words).arg(pos);
            break;
        }
        largest = std::max(largest, words);
        lastFunction = fn;
        const qsizetype r = pos, p = pos + 6;
        const qsizetype size = 2 * qsizetype(words);
        auto within = [&](qsizetype end) {
            if (end > size) d.problems << QStringLiteral("record %1 at %2 too short").arg(fn, 0, 16).arg(r);
        };
        switch (fn) {
        case 0x02FA:
            within(6 + 10);
            d.penWidths.push_back(i16(f, p + 2));
            create(Object{'p', {}, 0, u16(f, p), i16(f, p + 2), fromRef(u32(f, p + 6))}, r);
            break;
        case 0x02FC: within(6 + 8); create(Object{'b', {}, 0, u16(f, p), 0, fromRef(u32(f, p + 2))}, r); break;
        case 0x02FB: {
            within(6 + 18 + 32);
            create(Object{'f', QString::fromLatin1(f.mid(p + 18, 32).constData()), i16(f, p), 0, 0, 0}, r);
            break;
        }
        case 0x012D: cx.select(static_cast<int>(u16(f, p)), r); break;
        case 0x01F0: cx.remove(static_cast<int>(u16(f, p)), r); break;
        case 0x0209: cx.textColor = fromRef(u32(f, p)); break;
        case 0x041B:
            within(6 + 8);
            d.rectangles.push_back(QRect(QPoint(i16(f, p + 6), i16(f, p + 4)), QPoint(i16(f, p + 2), i16(f, p))));
            break;
        case 0x0A32: {
            const int n = i16(f, p + 4);
            const unsigned opts = u16(f, p + 6);
            const qsizetype s = p + 8 + ((opts & 6) ? 8 : 0);
            within(s - r + ((n + 1) & ~1) + 2 * n);
            Text t;
            t.reference = QPoint(i16(f, p + 2), i16(f, p));
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
        case 0x0324: within(6 + 2 + 4 * i16(f, p)); d.polygons++; break;
        case 0x0325: within(6 + 2 + 4 * i16(f, p)); d.polylines++; break;
        case 0x0538: d.polygons += static_cast<int>(u16(f, p)); break;
        case 0x0F43: d.images++; break;
        default: break;
        }
        pos += size;
    }
    if (largest != maxRecord) d.problems << QStringLiteral("largest record %1 words, header says %2").arg(largest).arg(maxRecord);
    if (lastFunction != 0) d.problems << QStringLiteral("does not end with EOF");
    return d;
}

QImage playEmfRectangles(const QByteArray& f, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    std::map<std::uint32_t, Object> table;
    Object pen{'p', {}, 0, 0, 0, qRgb(0, 0, 0)}, brush{'b', {}, 0, 0, 0, qRgb(255, 255, 255)};
    auto fill = [&](int l, int t, int r, int b, QRgb c) { // inclusive
        for (int y = std::max(0, t); y <= std::min(size.height() - 1, b); ++y)
            for (int x = std::max(0, l); x <= std::min(size.width() - 1, r); ++x) img.setPixel(x, y, c);
    };
    qsizetype pos = 0;
    while (pos + 8 <= f.size()) {
        const std::uint32_t type = u32(f, pos), rsize = u32(f, pos + 4);
        if (rsize < 8) break;
        const qsizetype r = pos;
        if (type == 38) table[u32(f, r + 8)] = Object{'p', {}, 0, u32(f, r + 12), i32(f, r + 16), fromRef(u32(f, r + 24))};
        if (type == 39) table[u32(f, r + 8)] = Object{'b', {}, 0, u32(f, r + 12), 0, fromRef(u32(f, r + 16))};
        if (type == 37 && table.count(u32(f, r + 8))) {
            const Object& o = table[u32(f, r + 8)];
            (o.kind == 'p' ? pen : brush) = o;
        }
        if (type == 43) {
            const int left = i32(f, r + 8), top = i32(f, r + 12), right = i32(f, r + 16), bottom = i32(f, r + 20);
            const bool outlined = (pen.style & 0x0f) != 5, filled = brush.style != 1;
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
