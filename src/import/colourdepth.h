#pragma once
// The colour depths of the import view: the positions of the depth track bar,
// their names, and the reduction of the view's colours to each of them.
#include <QImage>
#include <QString>

namespace klt {

constexpr int kDepthPositions = 8; // 0..7

// "Оригинал", "Черно-белый", "16 цв.", "256 цв.", "15 бит", "16 бит", "24 бита", "32 бита".
QString depthName(int position);

// The view's colours as a bitmap of that depth shows them, returned as
// 32-bit pixels: 1 bit black and white, 16 colours of the standard palette,
// 256 of the halftone palette (each pixel to the nearest palette colour),
// 5 or 5/6/5 bits per channel. White stays exactly white at every depth.
QImage reduceDepth(const QImage& view, int position);

// The position for the screen's depth in bits per pixel (4 → 2, 8 → 3,
// 15 → 4, 16 → 5, 24 → 6, 32 → 7), or `current` for any other depth.
int depthPositionForScreen(int bitsPerPixel, int current);

} // namespace klt
