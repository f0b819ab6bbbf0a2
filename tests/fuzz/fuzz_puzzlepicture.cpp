// The puzzle files as pictures (previews and the picture import): the same
// bytes read as a ".kvt" picture and as a ".crs"/".fcr" picture, each drawn
// as the import draws it.
#include <QString>

#include "files/qt/crspicture.h"
#include "files/qt/kvtpicture.h"
#include "fuzzpictures.h"
#include "fuzzsupport.h"
#include "import/picture.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    klt::fuzz::startGui();
    return 0;
}

namespace {

template <class PuzzlePicture>
void readAndDraw(const QString& path)
{
    PuzzlePicture picture;
    try {
        picture.loadFromFile(path);
    } catch (const klt::PictureError&) {
        return;
    }
    klt::fuzz::render(picture);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = QString::fromStdString(klt::fuzz::inputFile(data, size, ".crs"));
    readAndDraw<klt::KvtPicture>(path);
    readAndDraw<klt::CrsPicture>(path);
    return 0;
}
