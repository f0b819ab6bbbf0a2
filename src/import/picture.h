#pragma once
// The picture framework: pictures are loaded through a registry of picture
// classes keyed by file extension (compared without regard to letter case),
// so that every place that loads pictures (the open dialog's preview, the
// picture import) accepts every registered format, puzzle files included.
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;

#include "core/error.h"

namespace klt {

// A decoder that cannot read a file throws this; the message is for the user.
class PictureError : public CommandError {
public:
    explicit PictureError(const QString& text) : CommandError(text.toStdString()) {}
    QString text() const { return QString::fromStdString(message); }
};

class Picture {
public:
    virtual ~Picture() = default;
    // Reads the whole file; throws PictureError when it cannot.
    virtual void loadFromFile(const QString& path) = 0;
    virtual bool isEmpty() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Draws the picture stretched into rect.
    virtual void draw(QPainter& painter, const QRect& rect) const = 0;
};

struct PictureFormat {
    QString extension;   // without the dot, upper case ("KVT", "BMP")
    QString description; // "Клетомер"
    std::function<std::unique_ptr<Picture>()> create;
};

class PictureRegistry {
public:
    static PictureRegistry& instance();

    // A later registration of the same extension replaces the earlier one.
    void add(const QString& extension, const QString& description, std::function<std::unique_ptr<Picture>()> create);
    const std::vector<PictureFormat>& formats() const { return formats_; }
    const PictureFormat* find(const QString& extension) const;
    // A new picture for the file's extension, empty if none is registered.
    std::unique_ptr<Picture> create(const QString& path) const;
    // Creates and loads; throws PictureError for an unknown extension or a bad file.
    std::unique_ptr<Picture> load(const QString& path) const;

private:
    std::vector<PictureFormat> formats_;
};

} // namespace klt
