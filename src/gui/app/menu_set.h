// Builds the menu bar and the popup menu from the menu table and keeps the
// pairs in step: one action per command (shown in both menus), and for each
// submenu its two menus, enabled and shown together.
#pragma once

#include <QHash>
#include <QList>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace gui {

class MenuSet {
  public:
    // Fills `bar` and `popup`; every action is also added to `window` so its
    // shortcut works while the menu bar is hidden.
    void Build(QMenuBar* bar, QMenu* popup, QWidget* window);

    // A command or named separator by its popup or menu-bar name; nullptr if none.
    QAction* action(const QString& name) const;
    // A submenu's copy in the menu bar or in the popup (nullptr where it has none).
    QMenu* barMenu(const QString& name) const { return barMenus_.value(name); }
    QMenu* popupMenu(const QString& name) const { return popupMenus_.value(name); }
    QList<QAction*> actions() const { return byName_.values(); }
    // The six menus of the bar, in order.
    const QList<QMenu*>& topMenus() const { return topMenus_; }

    // Pairs: a command's one action, or a submenu's two menus. Commands that
    // are not built yet stay disabled whatever is asked.
    void SetEnabled(const QString& name, bool on);
    void SetVisible(const QString& name, bool on);
    void SetChecked(const QString& name, bool on);
    bool IsEnabled(const QString& name) const;
    bool IsVisible(const QString& name) const;
    // What the enabling rules last said, also for commands not built yet.
    bool RuleEnabled(const QString& name) const;

  private:
    QHash<QString, QAction*> byName_;    // popup and bar names of commands
    QHash<QString, QMenu*> barMenus_;    // submenus by either name
    QHash<QString, QMenu*> popupMenus_;
    QList<QMenu*> topMenus_;
};

} // namespace gui
