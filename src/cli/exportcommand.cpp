// kletomer-cli export: the picture of the task or the answers, in the format
// OUT's extension names, drawn as the export dialog draws it.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "cli/clicontext.h"
#include "cli/offscreengui.h"
#include "cli/session.h"
#include "render/pictureexport.h"

namespace klt::cli {
namespace {

QColor parseFill(const std::string& text)
{
    std::string hex = text;
    if (!hex.empty() && hex.front() == '#') hex.erase(0, 1);
    const QColor c(QString::fromStdString("#" + hex));
    if (hex.size() != 6 || !c.isValid()) throw UsageError{"--fill: нужен цвет в виде RRGGBB, а не \"" + text + "\""};
    return c;
}

int runExport(const std::vector<std::string>& argv)
{
    Args args(argv, {"--answers", "--no-numbers", "--corel"}, {"--cell-size", "--frame", "--fill"});
    if (args.positional().size() != 2) throw UsageError{"нужны IN и OUT"};
    const QString out = QString::fromStdString(args.positional()[1]);
    const auto format = formatForPath(out);
    if (!format) throw UsageError{"имя OUT должно оканчиваться на .wmf, .emf, .bmp, .svg, .pdf или .png"};
    const auto cellSize = args.integer("--cell-size", 5, 100);
    const int frame = static_cast<int>(args.integer("--frame", 0, 25).value_or(0));
    const QColor fill = args.value("--fill") ? parseFill(*args.value("--fill")) : QColor(Qt::black);

    // Fonts and painting need the GUI layer, never a display: metafiles are
    // then recorded for a 96-dpi screen wherever the tool runs.
    OffscreenGui gui;

    Session s;
    if (!s.open(args.positional()[0])) return kExitUsage;
    PictureJob job{s.ws.doc.field(), cellSize ? static_cast<int>(*cellSize) : s.ws.doc.cellSize(), PictureStyle{}, PictureOptions{}};
    job.style.fill = fill;
    job.style.frameWidth = frame;
    job.options.answers = args.flag("--answers");
    // As in the dialog: the task always carries its numbers.
    job.options.numbers = !job.options.answers || !args.flag("--no-numbers");
    job.options.correction = args.flag("--corel");
    writePictureFile(job, *format, out);
    printLines(stdout, "Экспорт.\r\nГотово!!!");
    return 0;
}

const CliCommandRegistration exportCommand(
    "export", {"export   IN OUT [--answers] [--no-numbers] [--corel] [--cell-size S] [--frame W] [--fill RRGGBB]\n"
               "                      (OUT: .wmf .emf .bmp .svg .pdf .png)",
               runExport, 50});

} // namespace
} // namespace klt::cli
