#pragma once
// What the puzzle pictures share: reading a file in bounded lines and
// drawing only what can be seen. Internal to the puzzle pictures.
#include <QRectF>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/field.h"

class QColor;
class QPainter;

namespace klt::pictures {

// The largest side a puzzle picture takes from a file, as for opening.
constexpr int kMaxSide = kMaxFieldSide;
// No file line of a sane puzzle comes near this (4096 cells of a few bytes).
constexpr std::size_t kMaxLine = 256 * 1024;
// Reading stops after this many bytes: a preview must not chew through a
// file of gigabytes.
constexpr std::size_t kMaxFileBytes = 256u * 1024u * 1024u;

// Buffered byte reading of one file.
class FileBytes {
public:
    // Throws PictureError when the file cannot be opened.
    explicit FileBytes(const QString& path);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // The next byte, or -1 at the end of the file, on a read error or past
    // kMaxFileBytes.
    int next()
    {
        if (pos_ == len_ && !fill()) return -1;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }
    // The next byte without taking it.
    int peek()
    {
        if (pos_ == len_ && !fill()) return -1;
        return static_cast<unsigned char>(buffer_[pos_]);
    }

private:
    bool fill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, len_ = 0, total_ = 0;
};


// A colour value of the file: red in the lowest byte, then green, then blue.
QColor colorOfValue(std::int32_t value);

// The part of the painter's logical coordinates that can reach its device,
// nothing when that is not known (a recording device keeps everything).
std::optional<QRectF> visibleArea(const QPainter& painter);

} // namespace klt::pictures
