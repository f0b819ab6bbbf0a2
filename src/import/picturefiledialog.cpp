#include "import/picturefiledialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "import/importmodel.h"
#include "import/importpictures.h"
#include "import/picture.h"
#include "widgets/filedialogsafety.h"

namespace klt {

namespace {

constexpr int kPreviewSide = 160;

void showPreview(QLabel* image, QLabel* caption, const QString& path)
{
    image->clear();
    caption->clear();
    if (!QFileInfo(path).isFile()) return;
    try {
        auto picture = PictureRegistry::instance().load(path);
        if (!picture || picture->isEmpty()) return;
        const int w = picture->width(), h = picture->height();
        const double k = std::min(1.0, std::min(double(kPreviewSide) / w, double(kPreviewSide) / h));
        const int pw = std::max(1, int(w * k)), ph = std::max(1, int(h * k));
        image->setPixmap(QPixmap::fromImage(renderScaled(*picture, pw, ph)));
        caption->setText(QStringLiteral("%1 x %2").arg(w).arg(h));
    } catch (...) {
        // An unreadable file simply has no preview.
    }
}

} // namespace

PictureFileChoice choosePictureFile(QWidget* parent, const QString& initialDir, int filterIndex)
{
    QFileDialog dlg(parent, QStringLiteral("Выбор рисунка"), initialDir);
    dlg.setObjectName(QStringLiteral("dlgOpenPic"));
    dlg.setOption(QFileDialog::DontUseNativeDialog, true); // the preview pane needs Qt's own dialog
    keepFromReadingFiles(dlg);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setDefaultSuffix(QStringLiteral("bmp"));
    dlg.setSizeGripEnabled(true);
    const QStringList filters = pictureNameFilters();
    dlg.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size()) dlg.selectNameFilter(filters[filterIndex - 1]);

    auto* pane = new QWidget(&dlg);
    auto* paneLayout = new QVBoxLayout(pane);
    auto* image = new QLabel(pane);
    image->setFixedSize(kPreviewSide + 4, kPreviewSide + 4);
    image->setAlignment(Qt::AlignCenter);
    image->setFrameShape(QFrame::StyledPanel);
    auto* caption = new QLabel(pane);
    caption->setAlignment(Qt::AlignCenter);
    paneLayout->addWidget(image);
    paneLayout->addWidget(caption);
    paneLayout->addStretch();
    if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout()))
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dlg, &QFileDialog::currentChanged, pane,
                     [image, caption](const QString& path) { showPreview(image, caption, path); });

    PictureFileChoice choice{{}, filterIndex};
    if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) {
        choice.path = dlg.selectedFiles().constFirst();
        choice.filterIndex = static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
        if (choice.filterIndex < 1) choice.filterIndex = 1;
    }
    return choice;
}

} // namespace klt
