#pragma once
// Every command of the main window as an action: category, caption, hint
// ("short|long": the tooltip shows the short part, the status bar the long
// one), shortcut, tag and radio group, reachable by its object name.
#include <QList>
#include <QString>

class QAction;
class QActionGroup;
class QObject;

namespace klt {

struct ActionSpec {
    const char* name;
    const char* category; // "" for none
    const char* caption;
    const char* hint;     // "" for none
    const char* shortcut; // "" for none
    int tag;
    int group;            // 1: the exclusive editing modes
    bool checkable;
    bool checked;
};

const QList<ActionSpec>& actionSpecs();

// The short and the long part of a hint.
QString shortHint(const QString& hint);
QString longHint(const QString& hint);

class ActionTable {
public:
    // Creates the actions as children of owner, in table order.
    explicit ActionTable(QObject* owner);

    QAction* operator[](const char* name) const { return get(name); }
    // Unknown names are a programming error and abort.
    QAction* get(const char* name) const;
    const QList<QAction*>& all() const { return actions_; }
    QActionGroup* modeGroup() const { return modes_; }

private:
    QList<QAction*> actions_;
    QActionGroup* modes_;
};

} // namespace klt
