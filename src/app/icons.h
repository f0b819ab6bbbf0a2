#pragma once
// The pictures of the actions, drawn by the program at 16 x 16.
#include <QIcon>
#include <QString>

namespace klt {

// A null icon for actions without a picture.
QIcon actionIcon(const QString& actionName);

} // namespace klt
