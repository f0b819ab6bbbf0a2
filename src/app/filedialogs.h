#pragma once
// The main window's file dialogs: "Открыть" with a preview pane that draws
// the highlighted file through the picture registry, and "Сохранить".
#include <QString>
#include <QStringList>

class QLabel;
class QWidget;

namespace klt {

QStringList openFilters();
QStringList saveFilters();

// The chosen path, or empty when cancelled. current is the document name;
// the dialog starts in its folder with its file name filled in.
QString runOpenDialog(QWidget* parent, const QString& current);
QString runSaveDialog(QWidget* parent, const QString& current);

// Draws path into image and its size ("W x H") into caption; a file that
// cannot be read, is too large or is not a picture leaves both empty.
void showFilePreview(QLabel* image, QLabel* caption, const QString& path);

} // namespace klt
