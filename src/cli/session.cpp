#include "cli/session.h"

#include <cstdio>

#include "cli/cliargs.h"
#include "files/document.h"
#include "files/kvtformat.h"

namespace klt::cli {

bool Session::open(const std::string& path)
{
    OpenHooks hooks;
    hooks.syncCellSize = [this](Workspace& w) { ctx.controls.syncCellSize(w); };
    OpenResult r = openDocument(ws, path, hooks);
    if (!r.errorText.empty()) ctx.error(r.errorText);
    return r.opened() && r.readOk;
}

bool Session::save(const std::string& path)
{
    try {
        saveKvt(ws, path);
        return true;
    } catch (const CommandError& e) {
        ctx.errorLine(e.message);
    }
    return false;
}

std::uint32_t parseSeed(const std::string& text)
{
    return static_cast<std::uint32_t>(parseInteger(text, "--seed", -2147483648LL, 4294967295LL));
}

} // namespace klt::cli
