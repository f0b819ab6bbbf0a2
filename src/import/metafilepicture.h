#pragma once
// A picture kept as its file's bytes and played record by record onto the
// target rectangle whenever it is drawn: the base of the metafile players.
#include <QByteArray>
#include <QSize>

#include "import/picture.h"

namespace klt {

class MetafilePicture : public Picture {
public:
    // Reads the whole file (bounded in size) and hands it to loadFromData.
    void loadFromFile(const QString& path) override;
    // The same from bytes (the clipboard); name is used in messages.
    virtual void loadFromData(const QByteArray& data, const QString& name) = 0;

    // The picture's natural size at the screen's 96 dots per inch.
    int width() const override { return size_.width(); }
    int height() const override { return size_.height(); }

protected:
    QByteArray data_;
    QSize size_;
};

} // namespace klt
