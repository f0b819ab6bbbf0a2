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

#include "import/picture.h"

namespace klt {

class EmfPicture : public Picture {
public:
    void loadFromFile(const QString& path) override;
    // The same from bytes (the clipboard); name is used in messages.
    void loadFromData(const QByteArray& data, const QString& name);

    bool isEmpty() const override { return records_.empty(); }
    // The picture frame of the header at the screen's 96 dots per inch.
    int width() const override { return size_.width(); }
    int height() const override { return size_.height(); }
    // Maps the picture frame onto rect, as playing a metafile into a
    // rectangle does.
    void draw(QPainter& painter, const QRect& rect) const override;

    struct Record {
        quint32 type;
        int offset; // of the record in data_
        int size;
    };

private:
    QByteArray data_;
    std::vector<Record> records_;
    QSize size_;
    QRect bounds_;      // device units, inclusive
    QRect frame_;       // 0.01 mm, inclusive
    QSize device_, millimetres_;
    int handles_ = 0;
};

} // namespace klt
