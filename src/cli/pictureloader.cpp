// The picture commands in the program's command table: each loads the
// module that holds them (see picturecommands.h) and runs it.
#include <dlfcn.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/clicommand.h"
#include "cli/picturecommands.h"
#include "core/error.h"

namespace klt::cli {
namespace {

// The folder of the running program, with its final '/'.
std::string programFolder()
{
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<size_t>(n) >= path.size()) return {};
    path.resize(static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

PictureEntry loadPictureModule()
{
    const std::string folder = programFolder();
    if (folder.empty()) throw CommandError{"не найдена папка программы, а в ней модуль рисунков"};
    // Beside the program in the build tree; installed, in the library folder
    // the build names relative to the program's.
    std::string path = folder + kPictureModuleFile;
#ifdef KLETOMER_MODULE_RELDIR
    if (::access(path.c_str(), F_OK) != 0) path = folder + KLETOMER_MODULE_RELDIR + "/" + kPictureModuleFile;
#endif
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) throw CommandError{"не загружен модуль рисунков " + path + ": " + ::dlerror()};
    auto* entry = reinterpret_cast<PictureEntry>(::dlsym(module, kPictureEntryName));
    if (!entry) throw CommandError{"в модуле рисунков " + path + " нет входа " + kPictureEntryName};
    return entry;
}

struct PictureCommandsRegistration {
    PictureCommandsRegistration()
    {
        for (const PictureCommandInfo& info : kPictureCommands) {
            const std::string name = info.name;
            commandTable()[name] = CliCommand{info.usage,
                                              [name](const std::vector<std::string>& argv) {
                                                  const PictureEntry entry = loadPictureModule();
                                                  std::vector<const char*> words;
                                                  for (const std::string& w : argv) words.push_back(w.c_str());
                                                  return entry(name.c_str(), static_cast<int>(words.size()), words.data());
                                              },
                                              info.order};
        }
    }
} const registration;

} // namespace
} // namespace klt::cli
