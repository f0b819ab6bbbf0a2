#pragma once
// The "Файл" side of the main window: New, Open, Save, Save As, Save
// selection, the recent files, the unsaved-changes and close questions, the
// document name and the caption made of it, and the file named on the
// command line.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace klt {

class MainWindow;
class RecentFiles;
class Workspace;

class DocumentCommands : public QObject {
    Q_OBJECT
public:
    // The name of a puzzle that has no file yet; compared case-sensitively,
    // so that only this exact name makes Save ask for a file.
    static const QString kNoName;

    enum class SaveVariant { Save, SaveAs, Selection };

    // Binds acNew, acOpen, acSave, acSaveAs and acSaveSel of window and puts
    // the recent files at the end of its "Файл" menu.
    explicit DocumentCommands(MainWindow& window);

    // The file dialogs; tests answer them here. They get the document name
    // and return the chosen path, or empty for Cancel.
    using FileDialog = std::function<QString(const QString& current)>;
    void setOpenDialog(FileDialog d) { openDialog_ = std::move(d); }
    void setSaveDialog(FileDialog d) { saveDialog_ = std::move(d); }

    const QString& documentName() const { return documentName_; }
    // Names the puzzle without touching the field or the caption.
    void setDocumentName(const QString& name) { documentName_ = name; }
    RecentFiles* recentFiles() const { return recent_; }

    // New; withSender is false when Open clears the field, which keeps the
    // document name and the caption.
    void acNewExecute(bool withSender);
    void acOpenExecute();
    // True when a file was written.
    bool saveDocument(SaveVariant variant);
    // True when the field now holds the file. A missing or unreadable file
    // gives its error box and leaves the field and the document name alone.
    // By value: callers pass the document name itself, which this changes.
    bool openDocument(QString path);
    // True when the field may be discarded; Cancel throws SilentAbort.
    bool querySaveChanges();
    // The caption: "Клетомер-" and name, or "NONAME.KVT" for an empty name.
    void showDocumentName(const QString& name);

    // The close question; true when the window may close. Never throws: a
    // failed save is reported here and keeps the window open.
    bool formCloseQuery();
    // The window is about to appear: args are the command-line parameters
    // without the program; the first, unless blank, is opened.
    void formShow(const QStringList& args);

private:
    MainWindow& window_;
    Workspace& ws_;
    RecentFiles* recent_;
    QString documentName_;
    FileDialog openDialog_;
    FileDialog saveDialog_;
};

} // namespace klt
