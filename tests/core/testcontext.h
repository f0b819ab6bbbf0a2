#pragma once
// A command context that records what the commands show, and field
// builders, for tests.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/context.h"
#include "core/workspace.h"

namespace klt::test {

// Records the boxes, the progress steps and the size-control syncs; the
// seed is fixed. Attached to a workspace it follows the document as the
// windows do (attach it before the workspace dies, or declare it first).
class RecordingContext : public CommandContext, public DocumentObserver {
public:
    std::vector<std::string> messages; // "caption|text"
    std::vector<std::string> errors;
    int steps = 0;
    std::vector<int> gauges; // the maximum of each progress display, in order
    int syncs = 0;
    std::uint32_t seed = 1;
    std::function<void(int)> onStep;

    RecordingContext() = default;
    // Follows ws from now until this context goes.
    explicit RecordingContext(Workspace& ws) : followed_(&ws) { ws.doc.addObserver(this); }
    ~RecordingContext() override
    {
        if (followed_) followed_->doc.removeObserver(this);
    }
    // Follows ws for good: ws must not outlive this context's last use.
    void attach(Workspace& ws) { ws.doc.addObserver(this); }

    // A long command's state without one: the engines run until a stop.
    void startRunning()
    {
        running_.reset();
        running_.emplace(*this, false);
        running_->start();
    }

    void errorBox(const std::string& text) override { errors.push_back(text); }
    void progressStart(const std::string&, int max) override { gauges.push_back(max); }
    void progressStep(int by) override
    {
        steps += by;
        if (onStep) onStep(steps);
    }
    void sizeChanged() override { ++syncs; }
    std::uint32_t clockSeed() override { return seed; }

protected:
    void showInformation(const std::string& text, const std::string& caption) override
    {
        messages.push_back(caption + "|" + text);
    }

private:
    Workspace* followed_ = nullptr;
    std::optional<BusyScope> running_;
};

// Builds a field from rows of cell texts.
inline void setRows(Workspace& ws, const std::vector<std::vector<std::string>>& rows)
{
    ws.doc.field().setSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) ws.doc.field().setText(int(c), int(r), rows[r][c]);
}

// Builds a picture from rows of '#' (filled) and '.' (white).
inline void setPicture(Workspace& ws, const std::vector<std::string>& rows)
{
    ws.doc.field().setSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) ws.doc.field().setText(int(c), int(r), rows[r][c] == '#' ? "-" : "");
}

// The fill marks of the field as rows of '#' (filled) and '.' (white).
inline std::vector<std::string> pictureOf(const Workspace& ws)
{
    std::vector<std::string> out;
    for (int r = 0; r < ws.doc.field().rowCount(); ++r) {
        std::string row;
        for (int c = 0; c < ws.doc.field().colCount(); ++c) row += ws.doc.field().isFilled(c, r) ? '#' : '.';
        out.push_back(row);
    }
    return out;
}

inline std::vector<std::vector<std::string>> rowsOf(const Workspace& ws)
{
    std::vector<std::vector<std::string>> out(static_cast<size_t>(ws.doc.field().rowCount()));
    for (int r = 0; r < ws.doc.field().rowCount(); ++r)
        for (int c = 0; c < ws.doc.field().colCount(); ++c) out[size_t(r)].push_back(ws.doc.field().text(c, r));
    return out;
}

} // namespace klt::test
