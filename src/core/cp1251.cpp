#include "core/cp1251.h"

#include <cstdint>

namespace klt {
namespace {

// Unicode code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::uint16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

std::uint32_t toUnicode(unsigned char b)
{
    if (b < 0x80) return b;
    if (b >= 0xC0) return 0x0410 + (b - 0xC0);
    return kHigh[b - 0x80];
}

int fromUnicode(std::uint32_t u)
{
    if (u < 0x80) return static_cast<int>(u);
    if (u >= 0x0410 && u <= 0x044F) return static_cast<int>(0xC0 + (u - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == u) return 0x80 + i;
    return -1;
}

void appendUtf8(std::string& out, std::uint32_t u)
{
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; malformed bytes decode as U+FFFD.
std::uint32_t nextCodePoint(std::string_view s, size_t& i)
{
    auto b = static_cast<unsigned char>(s[i++]);
    if (b < 0x80) return b;
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    std::uint32_t u = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
        u = (u << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return u;
}

} // namespace

std::string cp1251ToUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size() * 2);
    for (char c : s) appendUtf8(out, toUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::optional<std::string> utf8ToCp1251Strict(std::string_view s, std::string* badChar)
{
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        size_t start = i;
        int b = fromUnicode(nextCodePoint(s, i));
        if (b < 0) {
            if (badChar) *badChar = std::string(s.substr(start, i - start));
            return std::nullopt;
        }
        out += static_cast<char>(b);
    }
    return out;
}

std::string utf8ToCp1251(std::string_view s)
{
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        int b = fromUnicode(nextCodePoint(s, i));
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

} // namespace klt
