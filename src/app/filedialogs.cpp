#include "app/filedialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "files/paths.h"
#include "import/importmodel.h"
#include "import/picture.h"
#include "widgets/filedialogsafety.h"

namespace klt {

namespace {

constexpr int kPreviewSide = 160;
// Puzzle files are read and drawn cell by cell; beyond this a preview would
// keep the dialog busy for seconds, so it shows nothing.
constexpr qint64 kMaxPuzzlePreviewBytes = 2 * 1024 * 1024;

QString startName(const QString& current)
{
    return current.isEmpty() ? QStringLiteral("NONAME.KVT") : current;
}

void prepare(QFileDialog& dlg, const QString& current)
{
    // Qt's own dialog: the preview pane is a widget inside it, and the same
    // dialog everywhere keeps the behaviour alike.
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    keepFromReadingFiles(dlg);
    dlg.setDefaultSuffix(QStringLiteral("kvt"));
    dlg.setSizeGripEnabled(true);
    dlg.resize(820, 480); // room for the names, sizes and dates of the files
    const QFileInfo fi(startName(current));
    if (fi.isAbsolute() || current.contains(QLatin1Char('/'))) dlg.setDirectory(fi.absolutePath());
    dlg.selectFile(fi.fileName());
}

} // namespace

QStringList openFilters()
{
    // "Все файлы" is "*": every file, with or without an extension ("*.*"
    // would leave out the names without a dot).
    return {QStringLiteral("Файлы \"Клетомер\" (*.kvt)"), QStringLiteral("Файлы \"Филиппинского кроссворда\" (*.fcr)"),
            QStringLiteral("Файлы \"Японского кроссворда\" (*.crs)"), QStringLiteral("Все файлы (*)")};
}

QStringList saveFilters()
{
    return {QStringLiteral("Файлы \"Клетомер\" (*.kvt)"), QStringLiteral("Все файлы (*)")};
}

void showFilePreview(QLabel* image, QLabel* caption, const QString& path)
{
    image->clear();
    caption->clear();
    const QFileInfo fi(path);
    if (!fi.isFile() || !fi.isReadable()) return;
    const QString ext = fi.suffix().toUpper();
    if ((ext == QLatin1String("KVT") || ext == QLatin1String("FCR") || ext == QLatin1String("CRS"))
        && fi.size() > kMaxPuzzlePreviewBytes)
        return;
    try {
        auto picture = PictureRegistry::instance().load(path);
        if (!picture || picture->isEmpty()) return;
        const int w = picture->width(), h = picture->height();
        if (w <= 0 || h <= 0) return;
        const double k = std::min(1.0, std::min(double(kPreviewSide) / w, double(kPreviewSide) / h));
        const int pw = std::max(1, int(w * k)), ph = std::max(1, int(h * k));
        image->setPixmap(QPixmap::fromImage(renderScaled(*picture, pw, ph)));
        caption->setText(QStringLiteral("%1 x %2").arg(w).arg(h));
    } catch (...) {
        // A file that is no picture, or a broken one, simply has no preview.
        image->clear();
        caption->clear();
    }
}

QString runOpenDialog(QWidget* parent, const QString& current)
{
    QFileDialog dlg(parent, QStringLiteral("Открыть"));
    dlg.setObjectName(QStringLiteral("dlgOpen"));
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setNameFilters(openFilters());
    prepare(dlg, current);

    auto* pane = new QWidget(&dlg);
    pane->setObjectName(QStringLiteral("pnPicture"));
    auto* layout = new QVBoxLayout(pane);
    auto* image = new QLabel(pane);
    image->setObjectName(QStringLiteral("imPicture"));
    image->setFixedSize(kPreviewSide + 4, kPreviewSide + 4);
    image->setAlignment(Qt::AlignCenter);
    image->setFrameShape(QFrame::StyledPanel);
    auto* caption = new QLabel(pane);
    caption->setObjectName(QStringLiteral("lPictureSize"));
    caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(image);
    layout->addWidget(caption);
    layout->addStretch();
    if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout()))
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dlg, &QFileDialog::currentChanged, pane,
                     [image, caption](const QString& path) { showFilePreview(image, caption, path); });
    // The file selected at the start (the open puzzle) is previewed too.
    if (!dlg.selectedFiles().isEmpty()) showFilePreview(image, caption, dlg.selectedFiles().constFirst());

    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().constFirst();
}

QString runSaveDialog(QWidget* parent, const QString& current)
{
    QFileDialog dlg(parent, QStringLiteral("Сохранить"));
    dlg.setObjectName(QStringLiteral("dlgSave"));
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters(saveFilters());
    prepare(dlg, current); // the overwrite question is the dialog's default
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().constFirst();
}

} // namespace klt
