#include "render/picturestyle.h"

namespace klt {

QFont defaultPictureFont()
{
    // Where the face is missing the font database substitutes a sans serif;
    // metafiles still name it, so readers that have the face use it.
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace klt
