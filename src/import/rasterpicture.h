#pragma once
// Pictures held as decoded pixels. The decoder is a function from the file
// to an image, so one class serves every raster format of the registry.
#include <QImage>
#include <functional>

#include "import/picture.h"

namespace klt {

class RasterPicture : public Picture {
public:
    using Decoder = std::function<QImage(const QString& path)>;

    explicit RasterPicture(Decoder decoder = {}) : decoder_(std::move(decoder)) {}
    // A picture made from pixels already at hand (the clipboard).
    static std::unique_ptr<RasterPicture> fromImage(const QImage& image);

    void loadFromFile(const QString& path) override;
    bool isEmpty() const override { return image_.isNull(); }
    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    // Stretched without smoothing, so that every drawn pixel keeps a colour
    // of the picture and colour picks match the colour list.
    void draw(QPainter& painter, const QRect& rect) const override;

    const QImage& image() const { return image_; }

protected:
    Decoder decoder_;
    QImage image_;
};

// Icons are drawn at their own size onto white first, so their transparent
// parts come out white however the picture is stretched.
class IconPicture : public RasterPicture {
public:
    using RasterPicture::RasterPicture;
    void draw(QPainter& painter, const QRect& rect) const override;
};

// Reads a file with Qt's image readers (format names as QImageReader knows
// them: "bmp", "tga", ...). The declared size is checked before decoding.
QImage decodeWithQt(const QString& path, const QByteArray& format);

// Tries each decoder in turn; the error of the first one is reported when
// none reads the file.
RasterPicture::Decoder firstThatReads(std::vector<RasterPicture::Decoder> decoders);

} // namespace klt
