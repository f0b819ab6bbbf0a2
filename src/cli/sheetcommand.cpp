// kletomer-cli sheet: the task pictures of several puzzles on the pages of a
// PDF file at one cell size, as many to a page as fit, under their names (or
// titles of their own), then the answers.
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
    Args args(argv, {"--answers", "--landscape"},
              {"--per-page", "--cell-mm", "--min-cell-mm", "--paper", "--margin-mm", "--digit-size", "--title"});
    if (args.positional().size() < 2) throw UsageError{"нужны OUT и хотя бы один IN"};
    const QString out = QString::fromStdString(args.positional()[0]);
    if (QFileInfo(out).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        throw UsageError{"имя OUT должно оканчиваться на .pdf"};
    SheetOptions options;
    options.perPage = static_cast<int>(args.integer("--per-page", 1, 100).value_or(0));
    options.answers = args.flag("--answers");
    options.landscape = args.flag("--landscape");
    auto millimetres = [&](const char* name, double lo, double hi, double fallback) {
        const auto text = args.value(name);
        if (!text) return fallback;
        bool ok = false;
        const double v = QString::fromStdString(*text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok || v < lo || v > hi)
            throw UsageError{std::string(name) + " ждёт число миллиметров от " + QString::number(lo).toStdString() + " до " +
                             QString::number(hi).toStdString()};
        return v;
    };
    options.cellMm = millimetres("--cell-mm", 1, 50, options.cellMm);
    options.minCellMm = millimetres("--min-cell-mm", 1, 50, options.minCellMm);
    options.marginMm = millimetres("--margin-mm", 0, 50, options.marginMm);
    options.digitPercent = static_cast<int>(args.integer("--digit-size", 10, 100).value_or(options.digitPercent));
    if (const auto paper = args.value("--paper")) {
        if (*paper == "a4" || *paper == "A4") options.paper = SheetPaper::A4;
        else if (*paper == "letter" || *paper == "Letter") options.paper = SheetPaper::Letter;
        else throw UsageError{"--paper: a4 или letter"};
    }
    const std::vector<std::string> titles = args.values("--title");
    if (titles.size() > args.positional().size() - 1) throw UsageError{"заголовков --title больше, чем головоломок"};

    // Fonts and painting need the GUI layer, never a display: metafiles are
    // then recorded for a 96-dpi screen wherever the tool runs.
    OffscreenGui gui;

    // Every puzzle is read before anything is written.
    std::vector<SheetEntry> entries;
    for (size_t i = 1; i < args.positional().size(); ++i) {
        const std::string& in = args.positional()[i];
        Session s;
        if (!s.open(in)) return kExitUsage;
        // The puzzle's name without its extension, unless it has a title.
        const QString title = i - 1 < titles.size() ? QString::fromStdString(titles[i - 1])
                                                    : QFileInfo(QString::fromStdString(in)).completeBaseName();
        entries.push_back(SheetEntry{title, s.ws.doc.field(), s.ws.doc.cellSize(), PictureStyle{}});
    }
    writeSheetPdf(entries, options, out);
    printLines(stdout, "Готово!!!");
    return 0;
}

} // namespace klt::cli
