#pragma once
// The GUI layer for commands that draw (fonts, painting, picture formats),
// without a display: created on first need, kept for the run.
#include <QGuiApplication>
#include <memory>

namespace klt::cli {

class OffscreenGui {
public:
    OffscreenGui();
    OffscreenGui(const OffscreenGui&) = delete;
    OffscreenGui& operator=(const OffscreenGui&) = delete;

private:
    int argc_ = 1;
    char name_[13] = "kletomer-cli";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

} // namespace klt::cli
