#pragma once
// The dialogs and panels the main window hosts: the preview panel and the
// export dialog (acPreview, acRefresh, acKeyWordFont, acExp), the picture
// import (acImport), the prize phrase (acPrize) and the about box (acAbout).
// Each is created once, here, in the order the program creates them.
#include <QObject>

class QSettings;

namespace klt {

class DocumentCommands;
class MainWindow;
class PictureCommands;
class PrizeDialog;
class TImportForm;

class WindowDialogs : public QObject {
    Q_OBJECT
public:
    WindowDialogs(MainWindow& window, DocumentCommands& documents);

    PictureCommands* pictures() const { return pictures_; }
    TImportForm* importForm() const { return import_; }
    PrizeDialog* prizeDialog() const { return prize_; }

    // The preview panel's settings live in the main window's group.
    void restoreSettings(const QSettings& s);
    void saveSettings(QSettings& s) const;

private:
    MainWindow& window_;
    TImportForm* import_ = nullptr;
    PictureCommands* pictures_ = nullptr;
    PrizeDialog* prize_ = nullptr;
};

} // namespace klt
