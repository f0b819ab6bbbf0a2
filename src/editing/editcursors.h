#pragma once
// The grid's mouse cursors of the draw and fill modes, drawn by the program.
#include <QCursor>
#include <QPixmap>

namespace klt {

// 32 x 32 pictures; the pencil's tip is at (0, 0), the paint drop of the
// bucket at (8, 27).
QPixmap pencilPicture();
QPixmap bucketPicture();

QCursor drawCursor();
QCursor fillCursor();

} // namespace klt
