#include "render/picturecommands.h"

#include <QAction>
#include <QFileInfo>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "core/workspace.h"
#include "render/exportdialog.h"
#include "render/previewpanel.h"
#include "render/sheet.h"
#include "widgets/messagebox.h"

namespace klt {

PictureCommands::PictureCommands(const Workspace& ws, const QWidget& grid, QWidget* previewHost, QWidget* window)
    : QObject(window), ws_(ws), host_(previewHost)
{
    panel_ = new PreviewPanel(ws, grid, host_);
    auto* layout = new QVBoxLayout(host_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel_);
    dialog_ = new ExportDialog([this] { return currentJob(); }, window);
}

void PictureCommands::setKeyWordFontAction(QAction* action)
{
    panel_->setKeyWordFontAction(action);
}

PictureJob PictureCommands::currentJob() const
{
    return PictureJob{ws_.doc.field(), ws_.doc.cellSize(), panel_->style(), PictureOptions{}};
}

void PictureCommands::acPreviewExecute(QAction* acPreview)
{
    auto* splitter = qobject_cast<QSplitter*>(host_->parentWidget());
    const bool show = host_->isHidden();
    if (!show) panelWidth_ = host_->width();
    host_->setVisible(show);
    if (acPreview) acPreview->setChecked(show);
    if (!show) return;
    const int i = splitter ? splitter->indexOf(host_) : -1;
    if (i > 0) {
        // Back at the width it had, the splitter at its left edge, within the
        // minimums of both sides.
        QList<int> sizes = splitter->sizes();
        const int total = sizes[i - 1] + sizes[i];
        const int least = host_->minimumWidth();
        const int most = std::max(least, total - splitter->widget(i - 1)->minimumWidth());
        const int width = std::clamp(panelWidth_, least, most);
        sizes[i - 1] = total - width;
        sizes[i] = width;
        splitter->setSizes(sizes);
    }
    acRefreshExecute();
}

void PictureCommands::acRefreshExecute()
{
    panel_->refresh();
}

void PictureCommands::acKeyWordFontExecute()
{
    panel_->chooseKeyWordFont();
}

void PictureCommands::acExpExecute(const QString& title)
{
    dialog_->setPuzzleTitle(QFileInfo(title).completeBaseName());
    if (dialog_->exec() == QDialog::Accepted) doneBox(QStringLiteral("Экспорт."));
}

void PictureCommands::acPrintExecute(const QString& title)
{
    const PictureJob job = currentJob();
    // The title is the puzzle's name without its extension.
    const std::vector<SheetEntry> entries{SheetEntry{QFileInfo(title).completeBaseName(), job.field, job.cellSize, job.style}};
    SheetOptions options;
    options.answers = true;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(title);
    QPrintPreviewDialog preview(&printer, host_->window());
    preview.setWindowTitle(QStringLiteral("Печать"));
    QSize size(760, 900);
    if (const QScreen* screen = host_->window()->screen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    preview.resize(size);
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        // Errors must not unwind through the dialog's own code.
        try {
            drawSheet(*target, entries, options);
        } catch (const CommandError& e) {
            showErrorBox(QString::fromStdString(e.message));
        }
    });
    preview.exec();
}

void PictureCommands::restoreSettings(const QSettings& s)
{
    panel_->restoreSettings(s);
}

void PictureCommands::saveSettings(QSettings& s) const
{
    panel_->saveSettings(s);
}

} // namespace klt
