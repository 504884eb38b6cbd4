// The menu tree of the main window as one table: the menu bar and the popup
// menu are both built from it, and each command is one action shown in both,
// so caption, enabled state, check mark and tag cannot drift apart.
#pragma once

#include <span>

namespace gui {

enum class ItemKind { Command, Check, Radio, Submenu, Separator };

enum ItemFlag : unsigned {
    kBarOnly = 1u << 0,       // only in the menu bar
    kPopupOnly = 1u << 1,     // only in the popup
    kPicture = 1u << 2,       // disabled until a picture is open (enabled by EnableControls)
    kStartDisabled = 1u << 3, // disabled at start for another reason
    kStartHidden = 1u << 4,
    kChecked = 1u << 5,
    kList1 = 1u << 6,         // needs at least one bookmark
    kList2 = 1u << 7,         // needs at least two bookmarks
    kLater = 1u << 8,         // the command is not built yet: stays disabled
};

struct MenuEntry {
    int depth;            // 0 = the top level of a menu
    ItemKind kind;
    const char* caption;
    const char* shortcut; // Qt key sequence text of the menu-bar item, or ""
    const char* name;     // the popup item's name (the action's object name)
    const char* barName;  // the menu-bar twin's name, or "" when it is the same item
    int tag;
    unsigned flags;
};

std::span<const MenuEntry> MenuEntries();

} // namespace gui
