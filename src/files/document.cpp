#include "files/document.h"

#include <optional>

#include "files/foreign.h"
#include "files/paths.h"

namespace klt {

void newDocument(Workspace& ws)
{
    ws.cursor.setCurrentCell(0, 0);
    ws.cursor.rememberedBlock = CellRect{0, 0, 0, 0};
    ws.cursor.internalMove = false;
    ws.doc.reset();
    ws.doc.setModified(false);
}

OpenResult openDocument(Workspace& ws, const std::string& path, const OpenHooks& hooks)
{
    OpenResult result;
    auto fail = [&](OpenResult::Status status, std::string text) {
        result.status = status;
        result.errorText = std::move(text);
        return result;
    };
    if (!fileExists(path)) return fail(OpenResult::NotFound, "Файл " + path + " не найден.");
    // A file under /proc or the like could keep the reader waiting for good.
    if (!isOrdinaryFile(path))
        return fail(OpenResult::Unreadable, "Файл " + path + " не открыт: это не обычный файл.");

    const bool own = isOwnFormatPath(path);
    // A size the program refuses must not cost the user the field.
    if (auto tooLarge = own ? checkKvtSize(path) : checkForeignSize(path))
        return fail(OpenResult::TooLarge, *tooLarge);

    if (hooks.querySaveChanges && !hooks.querySaveChanges()) return result;
    newDocument(ws);

    result.status = OpenResult::Opened;
    result.documentName = path;
    if (own) {
        readKvt(ws, path, hooks.syncCellSize);
        result.readOk = true;
    } else {
        result.foreign = true;
        ForeignResult foreign = openForeignFile(ws, path);
        result.documentName = foreign.kvtName;
        result.readOk = foreign.ok;
        if (!foreign.ok) result.errorText = foreign.errorText;
    }
    ws.doc.notifySizeChanged();
    ws.doc.setModified(false);
    ws.doc.takeSnapshot();
    return result;
}

} // namespace klt
