#pragma once
// A foreign puzzle file (".fcr", ".crs") seen as a picture: one coloured
// square per cell. The row layout follows the file's header line, never its
// extension. Unlike opening the file as a document, this reader ends lines
// only at CR, shows JC files in colour and draws no grid.
#include <cstdint>
#include <vector>

#include "import/picture.h"

namespace klt {

class CrsPicture : public Picture {
public:
    // The row layouts: 32 integers of column bits (no header), "colour;number"
    // cells (FC1..FC3), hexadecimal colour indexes or values (JC2.5, JC2.4),
    // decimal colour values (JC2).
    enum class Layout { BitSet, Fc, JcIndexed, JcDirect };

    // Only a file that cannot be opened throws; content it cannot read ends
    // the loading and leaves what was read so far.
    void loadFromFile(const QString& path) override;
    bool isEmpty() const override { return rows_.empty(); }
    // 10 pixels per cell.
    int width() const override { return 10 * cols_; }
    int height() const override { return 10 * static_cast<int>(rows_.size()); }
    void draw(QPainter& painter, const QRect& rect) const override;

    Layout layout() const { return layout_; }
    // Colour values (red in the lowest byte) row by row; a row the loading
    // did not reach has none.
    const std::vector<std::vector<std::int32_t>>& rows() const { return rows_; }

private:
    std::vector<std::vector<std::int32_t>> rows_;
    int cols_ = 0;
    Layout layout_ = Layout::BitSet;
};

} // namespace klt
