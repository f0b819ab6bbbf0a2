#pragma once
// The state the import dialog works on, without widgets: the source
// picture, the scale, the view (at most 250 × 250 pixels of the scaled
// picture, starting at the view offset) and its colour depth. The dialog
// and kletomer-cli run the same steps on it.
#include <QImage>
#include <QPoint>
#include <memory>

#include "import/picture.h"

namespace klt {

constexpr double kScaledPixelLimit = 100000; // pixels of the scaled picture
constexpr int kMinScale = 1, kMaxScale = 999;

// Rounds to the nearest integer, halves to even.
long long roundHalfEven(double v);

// The scale after a load: when the picture at p % would have 100000 pixels
// or more, the percentage at which it has about that many.
int loadScale(int width, int height, int p);
// The scale at which the picture is rendered: p lowered until the scaled
// picture has at most 100000 pixels (1 % at the least).
int renderScale(int width, int height, int p);
// Round(W × p / 100) × Round(H × p / 100).
QSize scaledSize(int width, int height, int p);

// A W × H bitmap, white, with the picture stretched into all of it.
QImage renderScaled(const Picture& picture, int width, int height);

class ImportModel {
public:
    bool hasPicture() const { return source_ && !source_->isEmpty(); }
    const Picture* source() const { return source_.get(); }

    int scale() const { return scale_; }
    // The value of the scale control (held to 1..999); renders nothing.
    void setScale(int p);

    QPoint viewOffset() const { return offset_; }
    void setViewOffset(QPoint offset) { offset_ = offset; }

    // The view bitmap (32-bit pixels), at most 250 × 250.
    const QImage& view() const { return view_; }
    QImage& view() { return view_; }

    int depth() const { return depth_; }
    // Sets the colour-depth position and renders the view again.
    void setDepth(int position);
    // Sets the position only; the next rendering applies it.
    void setDepthPosition(int position);

    // A loaded picture becomes the source: the scale is checked against the
    // 100000-pixel limit, the offset returns to (0, 0), the colour depth to
    // the picture's own, and the view is rendered. True when the scaled picture
    // is larger than 250 pixels in some direction (the dialog warns).
    bool takePicture(std::unique_ptr<Picture> picture);
    // A bitmap from the clipboard: source and view at its own size and in its
    // own colours, the view cut to 250 × 250. True when it had to be cut.
    bool takeBitmap(const QImage& image);
    // A metafile from the clipboard: it becomes the source and is rendered
    // at the scale (lowered when needed), from offset (0, 0).
    void takeMetafile(std::unique_ptr<Picture> picture);

    // Renders the view from the source at the scale and offset (lowering
    // the scale when needed), then applies the colour depth.
    void applyScale();
    // Cuts the view to at most 250 × 250 (top-left part); true when it did.
    bool clipView();

    // The picture does not need panning in that direction: it is loaded and
    // 250 > W × p / 100.
    bool fitsWidth() const;
    bool fitsHeight() const;
    // The offset becomes origin, with 0 in each direction the picture fits,
    // and the view is rendered there.
    void panTo(QPoint origin);
    // The origin that centres the scaled picture in the view.
    QPoint centreOrigin() const;

private:
    std::unique_ptr<Picture> source_;
    int scale_ = 100;
    QPoint offset_;
    QImage view_;
    int depth_ = 0;
};

} // namespace klt
