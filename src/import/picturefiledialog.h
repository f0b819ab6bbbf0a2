#pragma once
// The picture open dialog ("Выбор рисунка"): Qt's own file dialog with a
// preview pane that draws the highlighted picture through the registry.
#include <QString>

class QWidget;

namespace klt {

struct PictureFileChoice {
    QString path;      // empty when cancelled
    int filterIndex;   // 1-based index into pictureNameFilters()
};

PictureFileChoice choosePictureFile(QWidget* parent, const QString& initialDir, int filterIndex);

} // namespace klt
