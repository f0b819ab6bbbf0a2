#pragma once
// The pictures of the actions: SVG files in the program's resources
// (src/app/icons/, 16 x 16), one per action that has a picture.
#include <QIcon>
#include <QString>

namespace klt {

// A null icon for actions without a picture.
QIcon actionIcon(const QString& actionName);

// The program's own icon, the one the desktop entry names: the window's
// icon and the about box's.
QIcon programIcon();

} // namespace klt
