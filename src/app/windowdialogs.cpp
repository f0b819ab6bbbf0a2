#include "app/windowdialogs.h"

#include <QAction>
#include <QFileInfo>

#include "app/documentcommands.h"
#include "app/errorhandler.h"
#include "app/mainwindow.h"
#include "editing/gridview.h"
#include "files/qt/aboutdialog.h"
#include "import/importform.h"
#include "prize/prizedialog.h"
#include "render/picturecommands.h"

namespace klt {

WindowDialogs::WindowDialogs(MainWindow& window, DocumentCommands& documents) : QObject(&window), window_(window)
{
    Workspace& ws = window.workspace();

    import_ = new TImportForm(ws, &window);
    import_->setObjectName(QStringLiteral("TImportForm"));
    import_->querySaveChanges = [&documents] { return documents.querySaveChanges(); };
    import_->openDocument = [&documents](const QString& path) { documents.openDocument(path); };
    import_->setMainStatusBar(window.statusPanels());
    import_->setCommandContext(&window.context());

    pictures_ = new PictureCommands(ws, *window.grid(), window.previewPanel(), &window);
    pictures_->setKeyWordFontAction(window.action("acKeyWordFont"));

    prize_ = new PrizeDialog(&window);
    prize_->setObjectName(QStringLiteral("TPrizeForm"));

    auto bind = [this](const char* name, std::function<void()> command) {
        connect(window_.action(name), &QAction::triggered, this, [command] { guarded(command); });
    };
    bind("acImport", [this] {
        if (import_->execute()) window_.grid()->fieldChanged();
    });
    bind("acPreview", [this] { pictures_->acPreviewExecute(window_.action("acPreview")); });
    bind("acRefresh", [this] { pictures_->acRefreshExecute(); });
    bind("acKeyWordFont", [this] { pictures_->acKeyWordFontExecute(); });
    bind("acExp", [this, &documents] { pictures_->acExpExecute(QFileInfo(documents.documentName()).fileName()); });
    bind("acPrint", [this, &documents] { pictures_->acPrintExecute(QFileInfo(documents.documentName()).fileName()); });
    bind("acPrize", [this] {
        if (prize_->run(window_.workspace(), window_.context())) window_.workspace().doc.setModified(true);
        window_.grid()->fieldChanged();
    });
    bind("acAbout", [this] {
        // A new box each time, as it reads the version information anew.
        AboutDialog about(&window_);
        about.exec();
    });
}

void WindowDialogs::restoreSettings(const QSettings& s)
{
    pictures_->restoreSettings(s);
}

void WindowDialogs::saveSettings(QSettings& s) const
{
    pictures_->saveSettings(s);
}

} // namespace klt
