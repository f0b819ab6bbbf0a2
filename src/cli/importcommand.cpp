// The picture import of kletomer-cli: a picture becomes the field as
// accepting the import dialog makes it, followed by the crop to filled cells.
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "cli/offscreengui.h"
#include "cli/picturecommands.h"
#include "cli/session.h"
#include "core/edits.h"
#include "files/qt/puzzlepictures.h"
#include "import/conversion.h"
#include "import/importmodel.h"
#include "import/importpictures.h"
#include "import/picture.h"
#include "import/picturelimits.h"

namespace klt::cli {
namespace {

// "$FF", "FF" or "$ff" name the colour 0x0000FF (0x00BBGGRR, pure red) and
// become the colour list's item "$FF".
QString colourArgument(const std::string& text)
{
    QString hex = QString::fromStdString(text).trimmed();
    if (hex.startsWith(QLatin1Char('$'))) hex.remove(0, 1);
    bool ok = false;
    const uint value = hex.toUInt(&ok, 16);
    if (hex.isEmpty() || !ok || value > 0xFFFFFF)
        throw UsageError{"--color: нужен цвет в виде $%x (0x00BBGGRR, $FF — красный), а не \"" + text + "\""};
    return colourItem(rgbOfColorRef(value));
}

// L,T,W,H: the selection's left-top view pixel and its width and height.
QRect rectArgument(const std::string& text)
{
    std::vector<long long> v;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const bool size = v.size() >= 2;
        v.push_back(parseInteger(part, size ? "W and H of --rect" : "L and T of --rect", size ? 2 : -100000,
                                 size ? kViewSide : 100000));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (v.size() != 4) throw UsageError{"--rect: нужны L,T,W,H"};
    return QRect(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]));
}

// Some decoder libraries (libpng, libwmf) print their complaints straight to
// standard error; the command reports the failure in its own single line.
class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        const int null = ::open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && null >= 0) ::dup2(null, 2);
        if (null >= 0) ::close(null);
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, 2);
            ::close(saved_);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

} // namespace

int runImport(const std::vector<std::string>& argv)
{
    Args args(argv, {"--not-white"}, {"--scale", "--color", "--rect", "--depth"});
    if (args.positional().size() != 2) throw UsageError{"нужны PICTURE и OUT"};
    const int scale = static_cast<int>(args.integer("--scale", kMinScale, kMaxScale).value_or(100));
    const int depth = static_cast<int>(args.integer("--depth", 0, 7).value_or(0));
    const bool notWhite = args.flag("--not-white");
    QStringList colours;
    for (const std::string& c : args.values("--color")) {
        const QString item = colourArgument(c);
        if (!colours.contains(item)) colours << item;
    }
    if (colours.isEmpty() && !notWhite)
        throw UsageError{"укажите цвета закрашенных клеток (--color) или --not-white"};
    std::optional<QRect> rect;
    if (auto r = args.value("--rect")) rect = rectArgument(*r);

    OffscreenGui gui;
    // Every picture the dialog loads, puzzle files included.
    registerPuzzlePictures();
    registerImportPictures();

    Session s;
    const QString picturePath = QString::fromLocal8Bit(args.positional()[0].c_str());
    std::unique_ptr<Picture> picture;
    try {
        const QuietStderr quiet;
        picture = PictureRegistry::instance().load(picturePath);
        if (!picture || picture->isEmpty()) throw PictureError(unreadablePictureText(picturePath, {}));
        checkPictureSize(picturePath, picture->width(), picture->height(), false);
    } catch (const PictureError& e) {
        QString reason = e.text();
        reason.replace(QLatin1String("\r\n"), QLatin1String(" "));
        std::fprintf(stderr, "kletomer-cli import: %s\n", reason.toUtf8().constData());
        return kExitUsage;
    }

    ImportModel model;
    model.setScale(scale);
    if (model.takePicture(std::move(picture)))
        s.ctx.errorBox("Размер рисунка не может быть больше, чем 250 х 250 точек.\r\nРисунок будет обрезан.");
    if (depth != 0) model.setDepth(depth);

    std::optional<QRect> selection;
    if (rect) selection = rect->translated(viewControlOrigin(model.view().size()));
    const ConversionRegion region = conversionRegion(model.view().size(), selection);
    const FillRule rule = notWhite ? FillRule::notWhite() : FillRule::listed(colours);
    acceptConversion(s.ws, model.view(), region, rule);
    cropToFilled(s.ws, false);
    return s.save(args.positional()[1]) ? 0 : kExitUsage;
}

} // namespace klt::cli
