#pragma once
// Enhanced metafiles (".emf"), played by our own player: the records of the
// published EMF layout that drawings commonly use (header, mapping modes and
// transforms, pens, brushes, fonts, lines, polylines, polygons, Bézier
// curves, rectangles, ellipses, arcs, paths, clipping rectangles, text and
// device-independent bitmaps). Unknown records are skipped.
#include <QByteArray>
#include <QRect>
#include <QSize>
#include <vector>

#include "import/metafilepicture.h"

namespace klt {

class EmfPicture : public MetafilePicture {
public:
    void loadFromData(const QByteArray& data, const QString& name) override;

    // Size: the picture frame of the header at the screen's 96 dots per inch.
    bool isEmpty() const override { return records_.empty(); }
    // Maps the picture frame onto rect, as playing a metafile into a
    // rectangle does.
    void draw(QPainter& painter, const QRect& rect) const override;

    struct Record {
        quint32 type;
        int offset; // of the record in data_
        int size;
    };

private:
    std::vector<Record> records_;
    QRect bounds_;      // device units, inclusive
    QRect frame_;       // 0.01 mm, inclusive
    QSize device_, millimetres_;
    int handles_ = 0;
};

} // namespace klt
