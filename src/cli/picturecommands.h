#pragma once
// The commands that draw or read pictures (export, import, sheet) need Qt's
// GUI layer and the picture libraries. They live in a module installed beside
// kletomer-cli and loaded only when one of them runs, so that the puzzle
// commands start without loading any of it.
#include <string>
#include <vector>

namespace klt::cli {

struct PictureCommandInfo {
    const char* name;
    const char* usage; // for the help text, as CliCommand::usage
    int order;
};

inline constexpr PictureCommandInfo kPictureCommands[] = {
    {"import",
     "import   PICTURE OUT [--scale P] [--color $HEX]... [--not-white] [--rect L,T,W,H] [--depth D]\n"
     "                      (--color in the colour list's form $%x of 0x00BBGGRR, $FF is red;\n"
     "                      --rect in pixels of the view, the picture part the dialog shows;\n"
     "                      --depth 0..7 is the position of the colour-depth track bar)",
     40},
    {"export",
     "export   IN OUT [--answers] [--no-numbers] [--corel] [--cell-size S] [--frame W] [--fill RRGGBB]\n"
     "                      [--digit-size PERCENT]\n"
     "                      (OUT: .wmf .emf .bmp .svg .pdf .png; PERCENT 10..100 is the digits' height\n"
     "                      in the cell, 0 the grid's font; default 60 for SVG, PDF, PNG, 0 for the rest;\n"
     "                      OUT .html: a page to solve the task in a browser, only --digit-size applies)\n"
     "  kletomer-cli export   --out-dir DIR --format EXT [-j N] IN... [the same options]",
     50},
    {"sheet",
     "sheet    OUT.pdf IN... [--answers] [--cell-mm MM] [--min-cell-mm MM] [--digit-size PERCENT]\n"
     "                      [--paper a4|letter] [--landscape] [--margin-mm MM] [--per-page N] [--title TEXT]...\n"
     "                      (one cell size for every puzzle, default 5 mm and never below 4; as many\n"
     "                      to a page as fit, at most N; a puzzle larger than a page is split over pages;\n"
     "                      titles: the file names without extension, or --title for each IN in order)",
     55},
};

// The module's file name, looked for in the folder of the running program.
inline constexpr const char* kPictureModuleFile = "kletomer-cli-pictures.so";

// The module's one entry: runs the picture command name with its arguments
// (after the command's name) and returns its exit code; reports its own
// errors as the program does.
inline constexpr const char* kPictureEntryName = "kletomer_cli_picture_command";
using PictureEntry = int (*)(const char* name, int argc, const char* const* argv);

// Inside the module.
int runImport(const std::vector<std::string>& argv);
int runExport(const std::vector<std::string>& argv);
int runSheet(const std::vector<std::string>& argv);

} // namespace klt::cli
