#pragma once
// Command-line parsing for kletomer-cli: positional arguments and options.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/error.h"

namespace klt::cli {

// The call's words are off: exit 2 with the reason.
struct UsageError : CommandError {
    using CommandError::CommandError;
};

class Args {
public:
    // flags: options without a value; valued: options taking one value (may repeat).
    Args(const std::vector<std::string>& argv, const std::set<std::string>& flags, const std::set<std::string>& valued);

    const std::vector<std::string>& positional() const { return positional_; }
    bool flag(const std::string& name) const { return flags_.count(name) != 0; }
    std::optional<std::string> value(const std::string& name) const;
    std::vector<std::string> values(const std::string& name) const;

    // A whole number within [lo, hi]; throws UsageError otherwise.
    std::optional<long long> integer(const std::string& name, long long lo, long long hi) const;

private:
    std::vector<std::string> positional_;
    std::set<std::string> flags_;
    std::multimap<std::string, std::string> values_;
};

long long parseInteger(const std::string& text, const std::string& what, long long lo, long long hi);

} // namespace klt::cli
