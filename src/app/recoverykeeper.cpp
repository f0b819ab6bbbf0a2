#include "app/recoverykeeper.h"

#include <QDateTime>
#include <QFileInfo>
#include <ctime>

#include "app/documentcommands.h"
#include "app/errorhandler.h"
#include "app/mainwindow.h"
#include "core/workspace.h"
#include "widgets/messagebox.h"

namespace klt {

RecoveryKeeper::RecoveryKeeper(MainWindow& window, const QString& folder, int intervalMs)
    : QObject(nullptr), window_(window), store_(folder.toStdString()), timer_(this)
{
    if (!store_.ready()) logError(QString::fromStdString(store_.error()));
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::tick);
    connect(&window, &MainWindow::documentModifiedChanged, this, &RecoveryKeeper::modifiedChanged);
    connect(&window, &MainWindow::generationEnded, this, &RecoveryKeeper::writeCopy);
    connect(&window, &MainWindow::closedNormally, this, [this] {
        timer_.stop();
        store_.close();
    });
    if (window.workspace().doc.modified()) timer_.start();
}

QString RecoveryKeeper::defaultFolder()
{
    return stateFolder() + QStringLiteral("/recovery");
}

int RecoveryKeeper::defaultInterval()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("KLETOMER_RECOVERY_INTERVAL_MS", &ok);
    return ok && ms > 0 ? ms : 30000;
}

QString RecoveryKeeper::copyPath() const
{
    return QString::fromStdString(store_.copyPath());
}

QString RecoveryKeeper::recordedName() const
{
    const QString name = window_.documents()->documentName();
    if (name.isEmpty() || name == DocumentCommands::kNoName) return DocumentCommands::kNoName;
    // A later run may start in another folder.
    return QFileInfo(name).absoluteFilePath();
}

RecoveryKeeper::Written RecoveryKeeper::current() const
{
    const Workspace& ws = window_.workspace();
    return Written{ws.doc.field().revision(), ws.doc.prizePhrase, ws.doc.cellSize(), recordedName()};
}

void RecoveryKeeper::writeCopy()
{
    Workspace& ws = window_.workspace();
    if (!ws.doc.modified() || !store_.ready()) return;
    const Written now = current();
    try {
        store_.write(ws, RecoveryInfo{now.documentName.toStdString(), isoLocalTime(std::time(nullptr))});
        written_ = now;
        lastError_.clear();
    } catch (const CommandError& e) {
        // Tried again at the next change; the log needs it once.
        const QString text = QString::fromStdString(e.message);
        if (text != lastError_) logError(text);
        lastError_ = text;
    }
}

void RecoveryKeeper::modifiedChanged(bool modified)
{
    if (modified) {
        if (!timer_.isActive()) timer_.start();
        return;
    }
    timer_.stop();
    store_.removeCopy();
    written_.reset();
}

void RecoveryKeeper::tick()
{
    const Workspace& ws = window_.workspace();
    if (!ws.doc.modified()) {
        timer_.stop();
        return;
    }
    // A running generation rewrites the field many times; its end writes.
    if (window_.context().busy()) return;
    if (written_ && *written_ == current()) return;
    writeCopy();
}

bool RecoveryKeeper::restore(const OrphanCopy& orphan)
{
    DocumentCommands& docs = *window_.documents();
    // The usual open, save question included; the copy is a puzzle file.
    if (!docs.openDocument(QString::fromStdString(orphan.path()))) return false;
    const QString name = QString::fromStdString(orphan.info().documentName);
    const bool unnamed = name == DocumentCommands::kNoName;
    docs.setDocumentName(unnamed ? DocumentCommands::kNoName : name);
    docs.showDocumentName(unnamed ? QString() : name);
    // Still unsaved: closing offers to save, and this run keeps its own copy.
    window_.workspace().doc.setModified(true);
    writeCopy();
    return true;
}

void RecoveryKeeper::offerOrphans()
{
    std::vector<OrphanCopy> orphans = store_.claimOrphans();
    for (OrphanCopy& orphan : orphans) {
        QDateTime when = QDateTime::fromString(QString::fromStdString(orphan.info().saved), Qt::ISODate);
        if (!when.isValid()) when = QDateTime::fromSecsSinceEpoch(orphan.written());
        const QString text = QStringLiteral("Восстановить несохранённую мозаику \"%1\" от %2?")
                                 .arg(QString::fromStdString(orphan.info().documentName),
                                      when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
        const MessageButton answer = messageBox(text, QString(), MessageKind::Question);
        if (answer == MessageButton::No) {
            orphan.discard();
            continue;
        }
        if (answer != MessageButton::Yes) return; // the copies stay for the next start
        bool restored = false;
        try {
            restored = restore(orphan);
        } catch (...) {
            // Cancel in the save question ends the whole offer silently.
            reportCurrentException();
            return;
        }
        // A copy that could not be opened (its box was shown) stays.
        if (restored) orphan.discard();
    }
}

} // namespace klt
