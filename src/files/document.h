#pragma once
// The document steps that the main window and the command-line tool share:
// starting a new puzzle and opening a file. Dialogs, the caption, the
// document name and the recent-files list stay with the caller.
#include <functional>
#include <string>

#include "core/workspace.h"
#include "files/kvtformat.h"

namespace klt {

// New without its save question: current cell (0, 0), remembered block
// (0, 0)-(0, 0), no internal move, empty prize phrase, answers shown, every
// cell emptied with its solver mark and the hidden cells dropped, modified
// flag cleared. The size, the cell size and the undo snapshot stay.
void newDocument(Workspace& ws);

struct OpenHooks {
    // The unsaved-changes question; false (or a silent abort thrown from
    // it) stops the open before anything changes. Unset: go on.
    std::function<bool()> querySaveChanges;
    // See readKvt.
    CellSizeSync syncCellSize;
};

struct OpenResult {
    enum Status {
        Opened,    // the field now holds the file (a foreign one possibly in part)
        NotFound,  // "Файл %s не найден." was shown; nothing changed
        TooLarge,  // the size was refused with a box; nothing changed
        Unreadable, // no ordinary file (/proc …); refused with a box, nothing changed
        Cancelled, // the save question stopped it; nothing changed
    };
    Status status = Cancelled;
    bool foreign = false;     // read by the foreign reader: the window disables undo
    bool readOk = false;      // the whole file was read (a foreign file may stop at an error)
    std::string documentName; // the path, or for a foreign file the path with ".KVT"
    std::string errorText;    // the text of the error box to show, if any

    bool opened() const { return status == Opened; }
};

// Opens a puzzle file: a missing file or a refused size gives an error text
// and changes nothing; otherwise the save question, New, the own format for
// a ".KVT" extension in any letter case or else the foreign reader (whose
// error text comes back too), the size controls, a cleared modified flag and
// the undo snapshot of the opened field. The caller shows errorText. The
// caption shows path; a foreign file that was read whole belongs in the
// recent-files list under its documentName.
OpenResult openDocument(Workspace& ws, const std::string& path, const OpenHooks& hooks = {});

} // namespace klt
