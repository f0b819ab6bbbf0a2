#include "cli/cliargs.h"

#include <cerrno>
#include <cstdlib>

namespace klt::cli {

Args::Args(const std::vector<std::string>& argv, const std::set<std::string>& flags, const std::set<std::string>& valued)
{
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string name = a, inlineValue;
            bool hasInline = false;
            if (auto eq = a.find('='); eq != std::string::npos) {
                name = a.substr(0, eq);
                inlineValue = a.substr(eq + 1);
                hasInline = true;
            }
            if (flags.count(name)) {
                if (hasInline) throw UsageError{"параметр " + name + " не принимает значения"};
                flags_.insert(name);
            } else if (valued.count(name)) {
                if (hasInline) {
                    values_.emplace(name, inlineValue);
                } else {
                    if (i + 1 >= argv.size()) throw UsageError{"параметру " + name + " нужно значение"};
                    values_.emplace(name, argv[++i]);
                }
            } else {
                throw UsageError{"неизвестный параметр " + name};
            }
        } else {
            positional_.push_back(a);
        }
    }
}

std::optional<std::string> Args::value(const std::string& name) const
{
    auto range = values_.equal_range(name);
    if (range.first == range.second) return std::nullopt;
    auto last = range.second;
    return (--last)->second;
}

std::vector<std::string> Args::values(const std::string& name) const
{
    std::vector<std::string> out;
    auto range = values_.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
    return out;
}

long long parseInteger(const std::string& text, const std::string& what, long long lo, long long hi)
{
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
        throw UsageError{what + ": нужно целое число от " + std::to_string(lo) + " до " + std::to_string(hi) +
                         ", а не \"" + text + "\""};
    return v;
}

std::optional<long long> Args::integer(const std::string& name, long long lo, long long hi) const
{
    auto v = value(name);
    if (!v) return std::nullopt;
    return parseInteger(*v, name, lo, hi);
}

} // namespace klt::cli
