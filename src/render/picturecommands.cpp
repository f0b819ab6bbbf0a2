#include "render/picturecommands.h"

#include <QAction>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/workspace.h"
#include "render/exportdialog.h"
#include "render/previewpanel.h"
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
    return PictureJob{ws_.field, ws_.cellSize, panel_->style(), PictureOptions{}};
}

void PictureCommands::acPreviewExecute(QAction* acPreview)
{
    auto* splitter = qobject_cast<QSplitter*>(host_->parentWidget());
    const bool show = host_->isHidden();
    if (!show) panelWidth_ = host_->width();
    host_->setVisible(show);
    if (acPreview) acPreview->setChecked(show);
    if (!show) return;
    if (splitter) {
        // Back at the width it had, the splitter at its left edge; the grid
        // keeps its share as far as the splitter's minimums allow.
        const int i = splitter->indexOf(host_);
        QList<int> sizes = splitter->sizes();
        int total = 0;
        for (int k = 0; k < sizes.size(); ++k)
            if (k != i) total += sizes[k];
        total += sizes.value(i);
        if (i > 0 && total > 0) {
            const int width = std::min(panelWidth_, std::max(host_->minimumWidth(), total - splitter->widget(i - 1)->minimumWidth()));
            sizes[i - 1] += sizes[i] - width;
            sizes[i] = width;
            splitter->setSizes(sizes);
        }
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

void PictureCommands::acExpExecute()
{
    if (dialog_->exec() == QDialog::Accepted) doneBox(QStringLiteral("Экспорт."));
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
