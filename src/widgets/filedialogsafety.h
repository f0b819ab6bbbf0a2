#pragma once
// Qt's file dialogs tell a file's type (and pick its icon) from its content
// where the name does not tell; for a device, a FIFO or a file under /proc
// that read can block the program for good. Every file dialog of the
// program goes through this, which tells types from names alone.
class QFileDialog;

namespace klt {

void keepFromReadingFiles(QFileDialog& dialog);

} // namespace klt
