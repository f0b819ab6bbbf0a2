#include "app/recentfiles.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

namespace klt {

namespace {
const char* const kGroup = "TMainForm.mru";
}

RecentFiles::RecentFiles(QMenu* menu, QObject* parent) : QObject(parent), menu_(menu)
{
    rebuildMenu();
}

QString RecentFiles::accelerator(int index)
{
    return index < 9 ? QStringLiteral("&%1").arg(index + 1) : QStringLiteral("&") + QChar(u'A' + (index - 9));
}

void RecentFiles::add(const QString& path)
{
    if (path.isEmpty()) return;
    for (qsizetype i = entries_.size() - 1; i >= 0; --i)
        if (entries_[i].compare(path, Qt::CaseInsensitive) == 0) entries_.removeAt(i);
    entries_.prepend(path);
    while (entries_.size() > kMaxEntries) entries_.removeLast();
    rebuildMenu();
}

void RecentFiles::setEntries(const QStringList& paths)
{
    entries_.clear();
    // Oldest first, so the list keeps its order and its rules.
    for (qsizetype i = paths.size() - 1; i >= 0; --i) {
        if (paths[i].isEmpty()) continue;
        bool listed = false;
        for (const QString& e : entries_) listed = listed || e.compare(paths[i], Qt::CaseInsensitive) == 0;
        if (!listed) entries_.prepend(paths[i]);
    }
    while (entries_.size() > kMaxEntries) entries_.removeLast();
    rebuildMenu();
}

void RecentFiles::restore(QSettings& s)
{
    s.beginGroup(QLatin1String(kGroup));
    QStringList paths;
    for (int i = 0; i < kMaxEntries; ++i) {
        const QString key = QStringLiteral("Item_%1").arg(i);
        if (!s.contains(key)) break;
        paths << s.value(key).toString();
    }
    s.endGroup();
    // Read back in order: the first item is the newest.
    setEntries(paths);
}

void RecentFiles::save(QSettings& s) const
{
    s.remove(QLatin1String(kGroup));
    s.beginGroup(QLatin1String(kGroup));
    for (int i = 0; i < entries_.size(); ++i) s.setValue(QStringLiteral("Item_%1").arg(i), entries_[i]);
    s.endGroup();
}

void RecentFiles::rebuildMenu()
{
    if (!menu_) return;
    for (QAction* a : items_) {
        menu_->removeAction(a);
        delete a;
    }
    items_.clear();
    if (separator_) {
        menu_->removeAction(separator_);
        delete separator_;
        separator_ = nullptr;
    }
    if (entries_.isEmpty()) return;
    separator_ = menu_->addSeparator();
    for (int i = 0; i < entries_.size(); ++i) {
        // The path stands after the tab, where no access letter is looked for.
        auto* a = new QAction(accelerator(i) + QLatin1Char('\t') + entries_[i], menu_);
        a->setObjectName(QStringLiteral("mru%1").arg(i));
        const QString path = entries_[i];
        connect(a, &QAction::triggered, this, [this, path] { emit chosen(path); });
        menu_->addAction(a);
        items_ << a;
    }
}

} // namespace klt
