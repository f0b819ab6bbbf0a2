#pragma once
// "О программе": the program's icon, product name, description, legal
// notice with comments, and version. Escape and OK close it.
#include <QDialog>

#include "files/qt/versioninfo.h"

class QLabel;

namespace klt {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    // With other version information; without any, only the icon and the
    // OK button show.
    explicit AboutDialog(const VersionInfo& info, QWidget* parent = nullptr);

    // "Версия " and the first three pieces of the version, each followed by
    // "." with the last dot dropped: 1.2.3.4 gives "Версия 1.2.3".
    static QString versionText(const QString& fileVersion);
    // "О программе" and the program's title in double quotes, its letters
    // a..z raised. The title is the program file's name up to its first
    // ".", every character after the first lowered.
    static QString captionFor(const QString& programFileName);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build(const VersionInfo& info);
};

} // namespace klt
