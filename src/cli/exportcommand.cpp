// kletomer-cli export: the picture of the task or the answers, in the format
// OUT's extension names, drawn as the export dialog draws it.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "cli/clicontext.h"
#include "cli/offscreengui.h"
#include "cli/picturecommands.h"
#include "cli/session.h"
#include "render/pictureexport.h"
#include "render/webpage.h"

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

// --digit-size: 10..100 percent of the cell, or 0 for the grid's font as it is.
std::optional<int> parseDigitSize(const Args& args)
{
    const auto text = args.value("--digit-size");
    if (!text) return std::nullopt;
    const long long v = parseInteger(*text, "--digit-size", 0, 100);
    if (v != 0 && v < 10)
        throw UsageError{"--digit-size: нужно 0 (шрифт сетки) или от 10 до 100, а не \"" + *text + "\""};
    return static_cast<int>(v);
}

// A page to solve in the browser, by OUT's extension (.html or .htm) or --format html.
bool isWebPage(const std::string& extension)
{
    const QString e = QString::fromStdString(extension).toLower();
    return e == QLatin1String("html") || e == QLatin1String("htm");
}

} // namespace

int runExport(const std::vector<std::string>& argv)
{
    std::vector<std::string> words = argv;
    const auto jobs = takeJobsOption(words);
    Args args(words, {"--answers", "--no-numbers", "--corel"},
              {"--cell-size", "--frame", "--fill", "--out-dir", "--format", "--digit-size"});
    const auto outDir = args.value("--out-dir");
    std::optional<ExportFormat> format;
    bool webPage = false;
    std::string extension; // of the batch form's outputs
    if (!outDir) {
        if (jobs) throw UsageError{"-j задаётся только вместе с --out-dir"};
        if (args.value("--format")) throw UsageError{"--format задаётся только вместе с --out-dir"};
        if (args.positional().size() != 2) throw UsageError{"нужны IN и OUT"};
        const std::string outExtension = std::filesystem::path(args.positional()[1]).extension().string();
        webPage = isWebPage(outExtension.empty() ? outExtension : outExtension.substr(1));
        format = formatForPath(QString::fromStdString(args.positional()[1]));
        if (!format && !webPage)
            throw UsageError{"имя OUT должно оканчиваться на .wmf, .emf, .bmp, .svg, .pdf, .png или .html"};
    } else {
        const auto text = args.value("--format");
        if (!text) throw UsageError{"нужен --format: wmf, emf, bmp, svg, pdf, png или html"};
        extension = QString::fromStdString(*text).toLower().toStdString();
        if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
        webPage = isWebPage(extension);
        format = formatForPath(QString::fromStdString("picture." + extension));
        if ((!format && !webPage) || extension.find('.') != std::string::npos)
            throw UsageError{"--format: wmf, emf, bmp, svg, pdf, png или html, а не \"" + *text + "\""};
    }
    if (webPage) {
        // The page is always the task, drawn by the browser at any size.
        for (const char* option : {"--answers", "--no-numbers", "--corel", "--cell-size", "--frame", "--fill"})
            if (args.flag(option) || args.value(option))
                throw UsageError{std::string(option) + ": не для HTML-страницы: она показывает задание и рисуется браузером"};
    }
    const auto cellSize = args.integer("--cell-size", 5, 100);
    const int frame = static_cast<int>(args.integer("--frame", 0, 25).value_or(0));
    const QColor fill = args.value("--fill") ? parseFill(*args.value("--fill")) : QColor(Qt::black);
    // Unless given, the format's own: a share of the cell where the picture
    // scales, the grid's font in metafiles and BMP.
    const int digitPercent =
        parseDigitSize(args).value_or(webPage ? kDefaultDigitPercent : defaultDigitPercent(*format));

    // Fonts and painting need the GUI layer, never a display: metafiles are
    // then recorded for a 96-dpi screen wherever the tool runs. The batch's
    // threads draw on images and files, which Qt allows beside it.
    OffscreenGui gui;

    const auto exportFile = [&](Session& s, const std::string& in, const std::string& out) {
        if (!s.open(in)) return kExitUsage;
        if (webPage) {
            const QString title = QString::fromStdString(std::filesystem::path(in).stem().string());
            writeWholeFile(QString::fromStdString(out), puzzlePageHtml(s.ws.doc.field(), title, PictureStyle{}, digitPercent));
            s.ctx.information("Экспорт.\r\nГотово!!!", "");
            return 0;
        }
        PictureJob job{s.ws.doc.field(), cellSize ? static_cast<int>(*cellSize) : s.ws.doc.cellSize(), PictureStyle{},
                       PictureOptions{}};
        job.style.fill = fill;
        job.style.frameWidth = frame;
        job.options.answers = args.flag("--answers");
        // As in the dialog: the task always carries its numbers.
        job.options.numbers = !job.options.answers || !args.flag("--no-numbers");
        job.options.correction = args.flag("--corel");
        job.options.digitPercent = digitPercent;
        writePictureFile(job, *format, QString::fromStdString(out));
        s.ctx.information("Экспорт.\r\nГотово!!!", "");
        return 0;
    };
    if (outDir) {
        // The picture of a.kvt is a.png with --format png.
        const auto outputName = [&](const std::string& fileName) {
            return std::filesystem::path(fileName).stem().string() + "." + extension;
        };
        return runBatch("export", makeBatchCall(args.positional(), *outDir, jobs, outputName),
                        [&](Session& s, const BatchFile& f) { return exportFile(s, f.input, f.output); });
    }
    Session s;
    return exportFile(s, args.positional()[0], args.positional()[1]);
}

} // namespace klt::cli
