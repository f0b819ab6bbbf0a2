#include "core/text.h"

#include <cstdio>

namespace klt {

std::string trim(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return std::string(s.substr(b, e - b));
}

std::string trimBlanks(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> parseNumber(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;
    std::uint64_t v = 0;
    for (; i < s.size(); ++i) {
        int d = hex ? hexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
        if (d < 0) return std::nullopt;
        v = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    if (hex) {
        // Hexadecimal takes the whole 32 bits, as the platform's conversion does.
        auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(bits)) : bits;
    }
    if (v > 2147483647ull + (negative ? 1 : 0)) return std::nullopt;
    return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(v)) : static_cast<std::int32_t>(v);
}

std::vector<std::string_view> splitWords(std::string_view s, std::string_view separators, std::size_t max)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (words.size() < max) {
        while (i < s.size() && separators.find(s[i]) != std::string_view::npos) ++i;
        if (i >= s.size()) break;
        const std::size_t b = i;
        while (i < s.size() && separators.find(s[i]) == std::string_view::npos) ++i;
        words.push_back(s.substr(b, i - b));
    }
    return words;
}

std::string wordAt(std::string_view s, std::string_view separators, int k)
{
    if (k < 1) return {};
    const auto words = splitWords(s, separators, static_cast<std::size_t>(k));
    return words.size() == static_cast<std::size_t>(k) ? std::string(words.back()) : std::string();
}

int wordCount(std::string_view s, std::string_view separators)
{
    return static_cast<int>(splitWords(s, separators).size());
}

std::string removeChars(std::string_view s, std::string_view chars)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (chars.find(c) == std::string_view::npos) out += c;
    return out;
}

std::string decimal(long long v)
{
    return std::to_string(v);
}

unsigned char upper1251(unsigned char c)
{
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 224) return static_cast<unsigned char>(c - 32);
    if (c == 184) return 168; // ё
    return c;
}

} // namespace klt
