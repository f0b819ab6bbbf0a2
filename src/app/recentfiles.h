#pragma once
// The recent-files list at the end of the "Файл" menu: at most ten paths,
// newest first, no two alike when letter case is ignored. Kept with the main
// window's settings in group "TMainForm.mru" as Item_0, Item_1, ...
#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QSettings;

namespace klt {

class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 10;

    // The items go at the end of menu, after a separator of their own.
    explicit RecentFiles(QMenu* menu, QObject* parent = nullptr);

    const QStringList& entries() const { return entries_; }
    // Puts path at the top, moving it there when it is already listed.
    void add(const QString& path);
    void setEntries(const QStringList& paths);

    // "&1".."&9", "&A" for the tenth.
    static QString accelerator(int index);

    void restore(QSettings& s);
    // The group is erased and written anew.
    void save(QSettings& s) const;

    QList<QAction*> menuItems() const { return items_; }

signals:
    void chosen(const QString& path);

private:
    void rebuildMenu();

    QMenu* menu_;
    QAction* separator_ = nullptr;
    QList<QAction*> items_;
    QStringList entries_;
};

} // namespace klt
