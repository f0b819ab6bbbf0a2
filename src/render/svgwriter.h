#pragma once
// The puzzle picture as SVG, written element by element for layout
// programs: the geometry of renderPicture, with the grid, the filled cells,
// the clues and the prize letters each in a group of their own
// (<g id="grid">, "fills", "clues", "letters") that carries the colours and
// the font once, so that the whole layer can be restyled in one place.
//
// One-pixel lines lie on half pixels, so they stay one pixel wide and black
// when the picture is rasterised; blank cells write nothing, so the file
// grows with the clues, not with the field. Fonts name the family the font
// database resolves on this machine, then the generic sans-serif.
#include <QByteArray>

#include "core/field.h"
#include "render/picturestyle.h"

namespace klt {

// Point-sized fonts are converted to pixels at dpi, which also gives the
// picture's physical size (width and height in millimetres). The
// drawing-program correction changes nothing here: lines are drawn as
// lines, not as rectangles a reader closes in its own way.
QByteArray pictureSvg(const Field& field, int cellSize, const PictureStyle& style, const PictureOptions& options,
                      int dpi);

} // namespace klt
