#include "core/webpuzzle.h"

#include <cstdio>

#include "core/cp1251.h"
#include "core/text.h"

namespace klt {

WebPuzzle webPuzzleOf(const Field& field, const std::string& title)
{
    const ClueSet clues = cluesOnField(field);
    WebPuzzle p;
    p.title = title;
    p.cols = clues.cols;
    p.rows = clues.rows;
    p.clues.assign(static_cast<size_t>(p.cols) * static_cast<size_t>(p.rows), '.');
    for (int r = 0; r < p.rows; ++r)
        for (int c = 0; c < p.cols; ++c) {
            const int i = r * p.cols + c;
            const int clue = clues.at(c, r);
            if (clue != kNoClue) {
                p.clues[static_cast<size_t>(i)] = static_cast<char>('0' + clue);
                continue;
            }
            // As the picture shows it: the text without its fill marks.
            const std::string shown = removeChars(field.text(c, r), "-");
            if (!trim(shown).empty()) p.texts.emplace_back(i, cp1251ToUtf8(shown));
        }

    CellGrid answer = pictureOnField(field);
    if (answer.count() == 0) {
        answer = CellGrid();
        if (clues.count() > 0) {
            const UniquenessResult res = checkUniqueness(clues);
            if (res.answers == Answers::One) answer = res.first;
        }
    }
    if (answer.cols == p.cols && answer.rows == p.rows) {
        p.answer.resize(p.clues.size());
        for (int r = 0; r < p.rows; ++r)
            for (int c = 0; c < p.cols; ++c) p.answer[static_cast<size_t>(r * p.cols + c)] = answer.at(c, r) ? 1 : 0;
    }
    return p;
}

std::uint32_t textHash(const std::string& text)
{
    std::uint32_t h = 2166136261u;
    for (unsigned char ch : text) {
        h ^= ch;
        h *= 16777619u;
    }
    return h;
}

std::string puzzleKeyText(const WebPuzzle& puzzle)
{
    return std::to_string(puzzle.cols) + "x" + std::to_string(puzzle.rows) + ":" + puzzle.clues;
}

std::string puzzleId(const WebPuzzle& puzzle)
{
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(textHash(puzzleKeyText(puzzle))));
    return buf;
}

std::vector<std::uint8_t> maskedAnswer(const WebPuzzle& puzzle)
{
    std::vector<std::uint8_t> out((puzzle.answer.size() + 7) / 8, 0);
    for (size_t i = 0; i < puzzle.answer.size(); ++i)
        if (puzzle.answer[i]) out[i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
    std::uint32_t x = textHash(puzzleKeyText(puzzle));
    if (x == 0) x = 0x9e3779b9u; // xorshift never leaves zero
    for (auto& byte : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        byte ^= static_cast<std::uint8_t>(x & 0xff);
    }
    return out;
}

namespace {

std::string base64(const std::vector<std::uint8_t>& data)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    for (size_t i = 0; i < data.size(); i += 3) {
        const unsigned n = (unsigned(data[i]) << 16) | (i + 1 < data.size() ? unsigned(data[i + 1]) << 8 : 0u) |
                           (i + 2 < data.size() ? unsigned(data[i + 2]) : 0u);
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < data.size() ? kDigits[(n >> 6) & 63] : '=';
        out += i + 2 < data.size() ? kDigits[n & 63] : '=';
    }
    return out;
}

// A JSON string of UTF-8 text in ASCII: everything outside printable ASCII,
// and '<', '>' and '&', as \u escapes, so that the text can stand inside a
// <script> element of any page. Malformed bytes become U+FFFD.
std::string jsonString(const std::string& utf8)
{
    std::string out = "\"";
    const auto escape = [&out](unsigned u) {
        char buf[7];
        std::snprintf(buf, sizeof buf, "\\u%04x", u);
        out += buf;
    };
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        unsigned cp = 0xfffd;
        size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b >> 5) == 6 || (b >> 4) == 14 || (b >> 3) == 30) {
            len = (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
            cp = b & (0x3f >> (len - 1));
            bool ok = i + len <= utf8.size();
            for (size_t k = 1; ok && k < len; ++k) {
                const unsigned char cb = static_cast<unsigned char>(utf8[i + k]);
                ok = (cb >> 6) == 2;
                cp = (cp << 6) | (cb & 0x3f);
            }
            if (!ok || cp > 0x10ffff || (cp >= 0xd800 && cp < 0xe000)) {
                cp = 0xfffd;
                len = 1;
            }
        }
        i += len;
        if (cp == '"' || cp == '\\') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp >= 0x20 && cp < 0x7f && cp != '<' && cp != '>' && cp != '&') {
            out += static_cast<char>(cp);
        } else if (cp >= 0x10000) {
            escape(0xd800 + ((cp - 0x10000) >> 10));
            escape(0xdc00 + ((cp - 0x10000) & 0x3ff));
        } else {
            escape(cp);
        }
    }
    return out + "\"";
}

} // namespace

std::string webPuzzleJson(const WebPuzzle& puzzle, int digitPercent, const std::string& fontFamily)
{
    std::string out = "{\"version\":1,\"title\":" + jsonString(puzzle.title) + ",\"cols\":" + std::to_string(puzzle.cols) +
                      ",\"rows\":" + std::to_string(puzzle.rows) + ",\"id\":\"" + puzzleId(puzzle) +
                      "\",\"digits\":" + std::to_string(digitPercent) + ",\"font\":" + jsonString(fontFamily) +
                      ",\"clues\":\"" + puzzle.clues + "\",\"texts\":[";
    for (size_t k = 0; k < puzzle.texts.size(); ++k) {
        if (k) out += ',';
        out += "[" + std::to_string(puzzle.texts[k].first) + "," + jsonString(puzzle.texts[k].second) + "]";
    }
    out += "],\"answer\":";
    out += puzzle.answer.empty() ? std::string("null") : "\"" + base64(maskedAnswer(puzzle)) + "\"";
    return out + "}";
}

} // namespace klt
