#pragma once
// The printable picture of the puzzle: a framed grid, either the task (all
// cells white, with the clues) or the answers (filled cells coloured). One
// routine draws it on any surface: the preview bitmap, a metafile, SVG, PDF.
#include <QFont>
#include <QSize>

#include "core/field.h"
#include "render/picturestyle.h"

class QPainter;
class QRect;

namespace klt {

// s × columns + 20 by s × rows + 20: the grid and a 10-pixel margin around it.
QSize pictureSize(const Field& field, int cellSize);

// The font whose digits stand percent of cellSize high (pixel-sized, so
// that it scales with the painter like the cells do), of the family and
// weight of base.
QFont digitFont(const QFont& base, int cellSize, int percent);

// Draws at the painter's origin within pictureSize(); the surface is not
// cleared first.
void renderPicture(QPainter& painter, const Field& field, int cellSize, const PictureStyle& style,
                   const PictureOptions& options);

// A rectangle as the picture's geometry gives it: right and bottom
// exclusive, outlined with the pen and filled with the brush. Metafiles
// record exactly these four numbers.
void drawBox(QPainter& painter, int left, int top, int right, int bottom);

} // namespace klt
