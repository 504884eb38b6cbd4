#include "gui/app/menu_set.h"

#include "gui/app/menu_table.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace gui {

void MenuSet::Build(QMenuBar* bar, QMenu* popup, QWidget* window) {
    // Where the next row goes, per depth, on each side (nullptr: side absent).
    QMenu* barAt[4] = {};
    QMenu* popupAt[4] = {};
    QHash<QMenu*, QActionGroup*> radioGroups;

    for (const MenuEntry& e : MenuEntries()) {
        const bool onBar = !(e.flags & kPopupOnly);
        const bool onPopup = !(e.flags & kBarOnly);
        QMenu* barParent = e.depth == 0 ? nullptr : barAt[e.depth - 1];
        QMenu* popupParent = e.depth == 0 ? popup : popupAt[e.depth - 1];
        const QString name = e.name;
        const QString barName = *e.barName ? QString(e.barName) : name;

        if (e.kind == ItemKind::Submenu) {
            QMenu* b = nullptr;
            QMenu* p = nullptr;
            if (onBar) {
                b = barParent ? barParent->addMenu(e.caption) : bar->addMenu(e.caption);
                b->setObjectName(barName);
                if (e.depth == 0) topMenus_.append(b);
            }
            if (onPopup && popupParent) {
                p = popupParent->addMenu(e.caption);
                p->setObjectName(name);
            }
            for (const QString& n : {name, barName}) {
                if (b) barMenus_.insert(n, b);
                if (p) popupMenus_.insert(n, p);
            }
            barAt[e.depth] = b;
            popupAt[e.depth] = p;
            continue;
        }

        QAction* a = byName_.value(name);
        if (!a) {
            if (e.kind == ItemKind::Separator) {
                a = new QAction(window);
                a->setSeparator(true);
            } else {
                a = new QAction(QString::fromUtf8(e.caption), window);
                if (*e.shortcut) a->setShortcut(QKeySequence(QString(e.shortcut)));
                a->setShortcutVisibleInContextMenu(false);
                a->setData(e.tag);
                a->setCheckable(e.kind != ItemKind::Command);
                a->setChecked(e.flags & kChecked);
                window->addAction(a);
            }
            a->setObjectName(name);
            a->setProperty("barName", barName);
            a->setProperty("later", bool(e.flags & kLater));
            if (e.flags & (kPicture | kStartDisabled | kLater | kList1)) a->setEnabled(false);
            if (e.flags & kStartHidden) a->setVisible(false);
            if (!name.isEmpty()) {
                byName_.insert(name, a);
                byName_.insert(barName, a);
            }
        }
        if (onBar && barParent) barParent->addAction(a);
        if (onPopup && popupParent) popupParent->addAction(a);
        if (e.kind == ItemKind::Radio) {
            QMenu* group = onBar ? barParent : popupParent;
            if (!radioGroups.contains(group)) radioGroups.insert(group, new QActionGroup(window));
            radioGroups.value(group)->addAction(a);
        }
    }
    for (auto it = barMenus_.cbegin(); it != barMenus_.cend(); ++it) {
        // Submenus that start disabled or hidden, in pairs.
        for (const MenuEntry& e : MenuEntries()) {
            if (e.kind != ItemKind::Submenu || it.key() != e.name) continue;
            if (e.flags & (kPicture | kStartDisabled)) SetEnabled(e.name, false);
            if (e.flags & kStartHidden) SetVisible(e.name, false);
        }
    }
}

QAction* MenuSet::action(const QString& name) const { return byName_.value(name); }

void MenuSet::SetEnabled(const QString& name, bool on) {
    if (QAction* a = byName_.value(name)) {
        a->setProperty("ruleEnabled", on);
        a->setEnabled(on && !a->property("later").toBool());
        return;
    }
    if (QMenu* m = barMenus_.value(name)) m->menuAction()->setEnabled(on);
    if (QMenu* m = popupMenus_.value(name)) m->menuAction()->setEnabled(on);
}

void MenuSet::SetVisible(const QString& name, bool on) {
    if (QAction* a = byName_.value(name)) {
        a->setVisible(on);
        return;
    }
    if (QMenu* m = barMenus_.value(name)) m->menuAction()->setVisible(on);
    if (QMenu* m = popupMenus_.value(name)) m->menuAction()->setVisible(on);
}

void MenuSet::SetChecked(const QString& name, bool on) {
    if (QAction* a = byName_.value(name)) a->setChecked(on);
}

bool MenuSet::IsEnabled(const QString& name) const {
    if (QAction* a = byName_.value(name)) return a->isEnabled();
    if (QMenu* m = barMenus_.value(name)) return m->menuAction()->isEnabled();
    if (QMenu* m = popupMenus_.value(name)) return m->menuAction()->isEnabled();
    return false;
}

bool MenuSet::RuleEnabled(const QString& name) const {
    if (QAction* a = byName_.value(name)) return a->property("ruleEnabled").toBool();
    return IsEnabled(name);
}

bool MenuSet::IsVisible(const QString& name) const {
    if (QAction* a = byName_.value(name)) return a->isVisible();
    if (QMenu* m = barMenus_.value(name)) return m->menuAction()->isVisible();
    if (QMenu* m = popupMenus_.value(name)) return m->menuAction()->isVisible();
    return false;
}

} // namespace gui
