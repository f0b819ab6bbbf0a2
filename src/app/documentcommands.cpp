#include "app/documentcommands.h"

#include <QAction>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

#include "app/errorhandler.h"
#include "app/filedialogs.h"
#include "app/mainwindow.h"
#include "app/recentfiles.h"
#include "core/abort.h"
#include "core/text.h"
#include "editing/fieldsizecontrols.h"
#include "editing/gridview.h"
#include "files/document.h"
#include "files/ioerror.h"
#include "files/kvtformat.h"
#include "files/paths.h"
#include "widgets/messagebox.h"

namespace klt {

const QString DocumentCommands::kNoName = QStringLiteral("NONAME.KVT");

namespace {

// The text of the error that keeps an existing file from being read, or
// nothing when it opens. The readers take an unreadable file for an empty
// one, which would clear the field for nothing.
std::optional<std::string> readFailure(const std::string& path)
{
    if (!fileExists(path)) return std::nullopt; // the "не найден" box follows
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f) {
        std::fclose(f);
        return std::nullopt;
    }
    const int err = errno;
    return "Ошибка чтения с диска. Файл " + path + "\r\n" + ioErrorText(ioCodeFromErrno(err));
}

} // namespace

DocumentCommands::DocumentCommands(MainWindow& window)
    : QObject(&window), window_(window), ws_(window.workspace()), recent_(new RecentFiles(window.fileMenu(), this))
{
    auto bind = [this](const char* name, std::function<void()> command) {
        connect(window_.action(name), &QAction::triggered, this, [command] { guarded(command); });
    };
    bind("acNew", [this] { acNewExecute(true); });
    bind("acOpen", [this] { acOpenExecute(); });
    bind("acSave", [this] { saveDocument(SaveVariant::Save); });
    bind("acSaveAs", [this] { saveDocument(SaveVariant::SaveAs); });
    bind("acSaveSel", [this] { saveDocument(SaveVariant::Selection); });
    // Choosing an entry opens it and leaves the list as it is.
    connect(recent_, &RecentFiles::chosen, this, [this](const QString& path) { guarded([&] { openDocument(path); }); });
}

void DocumentCommands::showDocumentName(const QString& name)
{
    window_.setWindowTitle(QStringLiteral("Клетомер-") + (name.isEmpty() ? kNoName : name));
}

bool DocumentCommands::querySaveChanges()
{
    if (!ws_.doc.modified()) return true;
    switch (messageBox(QStringLiteral("Изменения не сохранены. Сохранить изменения?"), QString(), MessageKind::Question)) {
    case MessageButton::Yes:
        return saveDocument(SaveVariant::Save);
    case MessageButton::No:
        return true;
    default:
        throw SilentAbort{};
    }
}

void DocumentCommands::acNewExecute(bool withSender)
{
    if (!querySaveChanges()) return;
    newDocument(ws_);
    if (withSender) {
        documentName_ = kNoName;
        showDocumentName(QString());
    }
    window_.grid()->fieldChanged();
}

bool DocumentCommands::openDocument(QString path)
{
    const std::string p = path.toStdString();
    if (auto failure = readFailure(p)) {
        showErrorBox(QString::fromStdString(*failure));
        return false;
    }
    OpenHooks hooks;
    hooks.querySaveChanges = [this] { return querySaveChanges(); };
    hooks.syncCellSize = [this](Workspace& ws) {
        const int wanted = ws.doc.cellSize();
        window_.sizeControls()->cellSizeEdit()->showValue(wanted);
        window_.sizeControls()->applyCellSize();
    };
    const OpenResult result = klt::openDocument(ws_, p, hooks);
    if (!result.errorText.empty()) showErrorBox(QString::fromStdString(result.errorText));
    // Unless the field holds the file, the document name stays: a later Save
    // must not write the old puzzle over the file that was not opened.
    if (!result.opened()) return false;
    documentName_ = QString::fromStdString(result.documentName);
    if (result.foreign) {
        // The snapshot of a foreign picture is no state to go back to.
        window_.action("acUndo")->setEnabled(false);
        if (result.readOk) recent_->add(documentName_);
    }
    showDocumentName(path);
    window_.grid()->fieldChanged();
    return true;
}

void DocumentCommands::acOpenExecute()
{
    const QString path = openDialog_ ? openDialog_(documentName_) : runOpenDialog(&window_, documentName_);
    if (path.isEmpty()) return;
    if (openDocument(path)) recent_->add(documentName_);
}

bool DocumentCommands::saveDocument(SaveVariant variant)
{
    const QString previous = documentName_;
    const bool selection = variant == SaveVariant::Selection;
    if (selection || documentName_.isEmpty()) documentName_ = kNoName;

    QString target = documentName_;
    if (documentName_ == kNoName || variant == SaveVariant::SaveAs) {
        target = saveDialog_ ? saveDialog_(documentName_) : runSaveDialog(&window_, documentName_);
        if (target.isEmpty()) {
            if (selection) documentName_ = previous;
            return false;
        }
    }
    const CellRect rect = ws_.cursor.selection;
    try {
        saveKvt(ws_, target.toStdString(), selection ? &rect : nullptr);
    } catch (...) {
        // A file that was not written names nothing: the document, its
        // caption and the recent files stay as they were.
        documentName_ = previous;
        window_.grid()->fieldChanged();
        throw;
    }
    window_.grid()->fieldChanged(); // the saved cells were trimmed
    recent_->add(target);
    if (selection) {
        // The part went to its own file; the caption keeps naming the
        // document that Save writes.
        documentName_ = previous;
        showDocumentName(previous);
    } else {
        documentName_ = target;
        showDocumentName(documentName_);
        ws_.doc.setModified(false);
    }
    return true;
}

bool DocumentCommands::formCloseQuery()
{
    try {
        if (!ws_.doc.modified())
            return messageBox(QStringLiteral("Выйти из программы?"), QString(), MessageKind::Question, 2)
                   == MessageButton::Yes;
        return querySaveChanges();
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

void DocumentCommands::formShow(const QStringList& args)
{
    guarded([&] {
        // Blank means nothing but characters 0..32, as Trim takes them.
        if (!args.isEmpty() && !trim(args.constFirst().toStdString()).empty()) {
            // Also when the file is missing: a later Save writes there.
            documentName_ = args.constFirst();
            // A file that is there but was refused or could not be read must
            // not be overwritten by a Save that does not ask.
            if (!openDocument(documentName_) && fileExists(documentName_.toStdString())) documentName_ = kNoName;
        } else {
            acNewExecute(true);
        }
    });
}

} // namespace klt
