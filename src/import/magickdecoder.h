#pragma once
// Decoding through ImageMagick for the formats Qt has no reader for.
#include <QImage>
#include <QString>

namespace klt {

struct MagickOptions {
    // Rendering resolution for vector formats, 0 for the coder's own.
    double density = 0;
    // Hand the file's name to the coder, which then finds files that belong
    // to it (the palette file next to a Dr. Halo picture).
    bool passFileName = false;
};

// Reads the whole file and decodes it as the named ImageMagick format
// ("PCX", "PSD", ...), never guessing another format from the content.
QImage decodeWithMagick(const QString& path, const char* magickFormat, const MagickOptions& options = {});
// The same for bytes at hand (the clipboard); name is used in messages.
QImage decodeMagickBytes(const QByteArray& bytes, const QString& name, const char* magickFormat,
                         const MagickOptions& options = {});

} // namespace klt
