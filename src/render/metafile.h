#pragma once
// A vector picture recorded through QPainter, written out as an enhanced
// metafile (EMF) or a placeable Windows metafile (WMF). Logical units are
// pixels of a reference device (the screen), so one painting routine gives
// the same picture here as on a bitmap.
//
// What is recorded: rectangles (as GDI rectangles, whose right and bottom
// are exclusive), polygons, polylines and paths (flattened), text as text in
// its font with the advances QPainter laid out, and images. Gradients and
// patterns are recorded as their base colour; transparency, antialiasing and
// clipping are not recorded.
#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <memory>

namespace klt {

class Metafile : public QPaintDevice {
public:
    // size in reference pixels; the reference device has resolution dpi and
    // (for the EMF header) screen the size of its screen in pixels.
    explicit Metafile(QSize size, int dpi = 96, QSize screen = QSize(1920, 1080));
    ~Metafile() override;
    Metafile(const Metafile&) = delete;
    Metafile& operator=(const Metafile&) = delete;

    QSize size() const;
    int dpi() const;

    QByteArray toEmf() const;
    QByteArray toPlaceableWmf() const;

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

} // namespace klt
