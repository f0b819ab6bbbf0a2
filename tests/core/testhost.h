#pragma once
// A host that records what the commands show, for tests.
#include <functional>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/workspace.h"

namespace klt::test {

class RecordingHost : public Host {
public:
    std::vector<std::string> messages; // "caption|text"
    std::vector<std::string> errors;
    std::string clipboard;
    int steps = 0;
    int syncs = 0;
    bool ctrl = false;
    std::uint32_t seed = 1;
    std::function<void(int)> onStep;

    void information(const std::string& text, const std::string& caption) override { messages.push_back(caption + "|" + text); }
    void errorBox(const std::string& text) override { errors.push_back(text); }
    void progressStep(int by) override
    {
        steps += by;
        if (onStep) onStep(steps);
    }
    void syncSizeControls() override { ++syncs; }
    void setClipboardText(const std::string& t) override { clipboard = t; }
    bool ctrlDown() override { return ctrl; }
    std::uint32_t clockSeed() override { return seed; }
};

// Builds a field from rows of cell texts.
inline void setRows(Workspace& ws, const std::vector<std::vector<std::string>>& rows)
{
    ws.field.setSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) ws.field.setText(int(c), int(r), rows[r][c]);
}

// Builds a picture from rows of '#' (filled) and '.' (white).
inline void setPicture(Workspace& ws, const std::vector<std::string>& rows)
{
    ws.field.setSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) ws.field.setText(int(c), int(r), rows[r][c] == '#' ? "-" : "");
}

// The fill marks of the field as rows of '#' (filled) and '.' (white).
inline std::vector<std::string> pictureOf(const Workspace& ws)
{
    std::vector<std::string> out;
    for (int r = 0; r < ws.field.rowCount(); ++r) {
        std::string row;
        for (int c = 0; c < ws.field.colCount(); ++c) row += ws.field.isFilled(c, r) ? '#' : '.';
        out.push_back(row);
    }
    return out;
}

inline std::vector<std::vector<std::string>> rowsOf(const Workspace& ws)
{
    std::vector<std::vector<std::string>> out(static_cast<size_t>(ws.field.rowCount()));
    for (int r = 0; r < ws.field.rowCount(); ++r)
        for (int c = 0; c < ws.field.colCount(); ++c) out[size_t(r)].push_back(ws.field.text(c, r));
    return out;
}

} // namespace klt::test
