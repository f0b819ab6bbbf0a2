#pragma once
// What the targets that draw pictures share.
namespace klt {
class Picture;
}

namespace klt::fuzz {

// A QGuiApplication on the offscreen platform, made once and kept: drawing
// text needs one. Qt's warnings about odd fonts and sizes are not printed.
void startGui();

// Draws the picture as the import renders it, each side held to 1..64
// pixels so that every input draws quickly.
void render(const Picture& picture);

} // namespace klt::fuzz
