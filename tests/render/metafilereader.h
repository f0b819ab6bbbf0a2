#pragma once
// Reads back the metafiles the program writes: checks their structure the
// way a strict player would, and lists what they draw.
#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace mfr {

struct Text {
    QPoint reference;
    QString text;
    QString face;
    int height = 0;
    QRgb color = 0;
};

struct Drawing {
    QStringList problems;          // empty for a well-formed file
    std::vector<QRect> rectangles; // left, top, right, bottom as recorded (QRect::right() = right)
    std::vector<Text> texts;
    std::vector<int> penWidths;    // of every pen created
    int polygons = 0, polylines = 0, images = 0;
    QRect bounds;                  // EMF header bounds or placeable bounding box
    int objectTable = 0;           // nHandles or NumberOfObjects
    int dpi = 0;                   // placeable Inch, or derived from the EMF reference device
};

Drawing readEmf(const QByteArray& file);
Drawing readWmf(const QByteArray& file);

// Plays the rectangles of an EMF as GDI fills them (one-pixel pens only)
// onto a white image of the given size.
QImage playEmfRectangles(const QByteArray& file, QSize size);

} // namespace mfr
