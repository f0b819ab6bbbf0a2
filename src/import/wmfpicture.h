#pragma once
// Old-style metafiles (".wmf"), placeable or not, played by our own player
// (shared with the enhanced metafiles): the placeable header's box is what
// lands on the target rectangle, as Windows plays them. ImageMagick maps
// the box of what is drawn instead, which stretches every picture with
// margins (our own exported puzzles among them).
#include <QByteArray>
#include <QRect>
#include <vector>

#include "import/metafilepicture.h"

namespace klt {

class WmfPicture : public MetafilePicture {
public:
    void loadFromData(const QByteArray& data, const QString& name) override;

    // Size: the placeable box at the screen's 96 dots per inch; without a
    // placeable header, the first window extent in pixels.
    bool isEmpty() const override { return records_.empty(); }
    void draw(QPainter& painter, const QRect& rect) const override;

    struct Record {
        quint16 function;
        int offset; // of the parameters in data_
        int size;   // bytes of parameters
    };

private:
    std::vector<Record> records_;
    QRect box_;    // logical units: left, top, width, height
    int inch_ = 96; // logical units per inch
    int objects_ = 0;
};

} // namespace klt
