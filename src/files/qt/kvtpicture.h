#pragma once
// A puzzle file of the program's own format seen as a picture: one square
// per cell, filled cells black with white text, the others white with black
// text, each with its clue or letter. It reads the rows as plain text,
// without the profile reader that opening uses, and never writes.
#include <string>
#include <vector>

#include "import/picture.h"

namespace klt {

class KvtPicture : public Picture {
public:
    // Only a file that cannot be opened throws; content it cannot read
    // leaves the picture empty, or with the rows read so far.
    void loadFromFile(const QString& path) override;
    bool isEmpty() const override { return rows_.empty(); }
    // 10 pixels per piece of the first row and per row.
    int width() const override;
    int height() const override;
    void draw(QPainter& painter, const QRect& rect) const override;

    // The raw value of each row's "Str" key, leading ";" and blanks kept.
    const std::vector<std::string>& rowTexts() const { return rows_; }

private:
    std::vector<std::string> rows_;
};

} // namespace klt
