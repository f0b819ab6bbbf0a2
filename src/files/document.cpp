#include "files/document.h"

#include <optional>

#include "files/foreign.h"
#include "files/paths.h"

namespace klt {

void newDocument(Workspace& ws)
{
    ws.setCurrentCell(0, 0);
    ws.rememberedBlock = CellRect{0, 0, 0, 0};
    ws.internalMove = false;
    ws.prizePhrase.clear();
    ws.setHideAnswers(false);
    ws.answerMask.clear();
    ws.answerCols = ws.answerRows = 0;
    // Nothing of the former puzzle stays, hidden cells included: widening
    // the new one must not bring them back.
    ws.field.clear();
    ws.host().fieldChanged();
    ws.setModified(false);
}

OpenResult openDocument(Workspace& ws, const std::string& path, const OpenHooks& hooks)
{
    OpenResult result;
    auto fail = [&](OpenResult::Status status, std::string text) {
        result.status = status;
        result.errorText = std::move(text);
        ws.host().errorBox(result.errorText);
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
        if (!foreign.ok) {
            result.errorText = foreign.errorText;
            ws.host().errorBox(result.errorText);
        }
    }
    ws.host().syncSizeControls();
    ws.setModified(false);
    ws.takeSnapshot();
    return result;
}

} // namespace klt
