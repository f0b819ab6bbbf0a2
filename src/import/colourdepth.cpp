#include "import/colourdepth.h"

#include <QList>
#include <array>
#include <climits>

namespace klt {

namespace {

QList<QRgb> standard16()
{
    return {qRgb(0, 0, 0),       qRgb(0x80, 0, 0),    qRgb(0, 0x80, 0),    qRgb(0x80, 0x80, 0),
            qRgb(0, 0, 0x80),    qRgb(0x80, 0, 0x80), qRgb(0, 0x80, 0x80), qRgb(0xC0, 0xC0, 0xC0),
            qRgb(0x80, 0x80, 0x80), qRgb(0xFF, 0, 0), qRgb(0, 0xFF, 0),    qRgb(0xFF, 0xFF, 0),
            qRgb(0, 0, 0xFF),    qRgb(0xFF, 0, 0xFF), qRgb(0, 0xFF, 0xFF), qRgb(0xFF, 0xFF, 0xFF)};
}

// A halftone palette: the 6 × 6 × 6 colour cube, the 16 standard colours and
// a ramp of greys to fill 256 entries.
QList<QRgb> halftone256()
{
    QList<QRgb> pal;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) pal << qRgb(r * 51, g * 51, b * 51);
    for (QRgb c : standard16())
        if (!pal.contains(c)) pal << c;
    for (int v = 8; pal.size() < 256; v += 12)
        if (!pal.contains(qRgb(v, v, v))) pal << qRgb(v, v, v);
    return pal;
}

QImage toNearest(const QImage& view, const QList<QRgb>& palette)
{
    QImage out = view.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        QRgb lastIn = 0, lastOut = 0;
        bool haveLast = false;
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = line[x] | 0xFF000000u;
            if (haveLast && c == lastIn) {
                line[x] = lastOut;
                continue;
            }
            int best = INT_MAX;
            QRgb pick = palette.front();
            for (QRgb p : palette) {
                const int dr = qRed(c) - qRed(p), dg = qGreen(c) - qGreen(p), db = qBlue(c) - qBlue(p);
                const int d = dr * dr + dg * dg + db * db;
                if (d < best) {
                    best = d;
                    pick = p;
                }
            }
            lastIn = c;
            lastOut = pick | 0xFF000000u;
            haveLast = true;
            line[x] = lastOut;
        }
    }
    return out;
}

} // namespace

QString depthName(int position)
{
    static const std::array<const char*, kDepthPositions> names = {
        "Оригинал", "Черно-белый", "16 цв.", "256 цв.", "15 бит", "16 бит", "24 бита", "32 бита"};
    if (position < 0 || position >= kDepthPositions) return {};
    return QString::fromUtf8(names[static_cast<size_t>(position)]);
}

QImage reduceDepth(const QImage& view, int position)
{
    if (view.isNull()) return view;
    switch (position) {
    case 1: {
        static const QList<QRgb> bw = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
        return toNearest(view, bw);
    }
    case 2: {
        static const QList<QRgb> pal = standard16();
        return toNearest(view, pal);
    }
    case 3: {
        static const QList<QRgb> pal = halftone256();
        return toNearest(view, pal);
    }
    // Qt widens 5- and 6-bit channels by repeating their high bits, so white stays $FFFFFF.
    case 4: return view.convertToFormat(QImage::Format_RGB555).convertToFormat(QImage::Format_RGB32);
    case 5: return view.convertToFormat(QImage::Format_RGB16).convertToFormat(QImage::Format_RGB32);
    default: return view.convertToFormat(QImage::Format_RGB32);
    }
}

int depthPositionForScreen(int bitsPerPixel, int current)
{
    switch (bitsPerPixel) {
    case 4: return 2;
    case 8: return 3;
    case 15: return 4;
    case 16: return 5;
    case 24: return 6;
    case 32: return 7;
    default: return current;
    }
}

} // namespace klt
