// kletomer-cli sheet: the task pictures of several puzzles on A4 pages of a
// PDF file, a few to a page with their file names, then the answers.
#include <QFileInfo>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "cli/clicontext.h"
#include "cli/offscreengui.h"
#include "cli/picturecommands.h"
#include "cli/session.h"
#include "render/sheet.h"

namespace klt::cli {

int runSheet(const std::vector<std::string>& argv)
{
    Args args(argv, {"--answers"}, {"--per-page"});
    if (args.positional().size() < 2) throw UsageError{"нужны OUT и хотя бы один IN"};
    const QString out = QString::fromStdString(args.positional()[0]);
    if (QFileInfo(out).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        throw UsageError{"имя OUT должно оканчиваться на .pdf"};
    SheetOptions options;
    options.perPage = static_cast<int>(args.integer("--per-page", 1, 16).value_or(4));
    options.answers = args.flag("--answers");

    // Fonts and painting need the GUI layer, never a display: metafiles are
    // then recorded for a 96-dpi screen wherever the tool runs.
    OffscreenGui gui;

    // Every puzzle is read before anything is written.
    std::vector<SheetEntry> entries;
    for (size_t i = 1; i < args.positional().size(); ++i) {
        const std::string& in = args.positional()[i];
        Session s;
        if (!s.open(in)) return kExitUsage;
        entries.push_back(SheetEntry{QFileInfo(QString::fromStdString(in)).fileName(), s.ws.doc.field(), s.ws.doc.cellSize(),
                                     PictureStyle{}});
    }
    writeSheetPdf(entries, options, out);
    printLines(stdout, "Готово!!!");
    return 0;
}

} // namespace klt::cli
