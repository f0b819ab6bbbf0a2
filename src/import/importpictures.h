#pragma once
// The picture formats the import offers, registered in the picture registry
// at start-up, and the extension rules of the import dialog.
#include <QString>
#include <QStringList>

namespace klt {

// Registers every raster and metafile format the import reads (the puzzle
// files register themselves elsewhere). Calling it again changes nothing.
void registerImportPictures();

// Extensions taken from dropped files, upper case with the dot (".BMP").
const QStringList& dropExtensions();
// Ext (upper case, dot included) is one of dropExtensions().
bool isPictureExtension(const QString& ext);

// The open dialog's filter: "All" with every registered extension, then one
// entry per registered format, in registration order.
QStringList pictureNameFilters();

} // namespace klt
