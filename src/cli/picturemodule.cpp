// The entry of the picture commands' module (see picturecommands.h).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/clicommand.h"
#include "cli/picturecommands.h"
#include "core/error.h"

using namespace klt;
using namespace klt::cli;

extern "C" __attribute__((visibility("default"))) int kletomer_cli_picture_command(const char* name, int argc,
                                                                                   const char* const* argv)
{
    const std::string command = name;
    const std::vector<std::string> args(argv, argv + argc);
    try {
        if (command == "import") return runImport(args);
        if (command == "export") return runExport(args);
        if (command == "sheet") return runSheet(args);
        std::fprintf(stderr, "kletomer-cli: неизвестная команда \"%s\"\n", name);
    } catch (...) {
        const auto text = currentErrorText();
        std::fprintf(stderr, "kletomer-cli %s: %s\n", name, text ? text->c_str() : "");
    }
    return kExitUsage;
}
