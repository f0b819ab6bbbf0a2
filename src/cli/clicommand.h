#pragma once
// The command table of kletomer-cli. Each command lives in a file of its own
// and registers itself with a static CliCommandRegistration.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace klt::cli {

struct CliCommand {
    std::string usage; // one or more lines for the help text
    std::function<int(const std::vector<std::string>&)> run;
    int order = 100;   // place in the help text
};

std::map<std::string, CliCommand>& commandTable();

struct CliCommandRegistration {
    CliCommandRegistration(const std::string& name, CliCommand command) { commandTable()[name] = std::move(command); }
};

constexpr int kExitUsage = 2;

} // namespace klt::cli
