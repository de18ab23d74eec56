#pragma once

// A kit Menu as the desktop's status area takes it: a tree of entries with
// ids the panel sends back when it opens a submenu or an entry is clicked.
//
// - An item keeps its id for as long as the item object lives and stays in
//   the menu; ids are never reused for another item while this tree lives
//   (barring a new item built at a freed item's address between two
//   conversions). The root is 0.
// - Items whose state is on or mixed are check-mark toggles (1 or -1);
//   everything else is a plain entry. The panel then shows marks exactly
//   where our own menus draw them: an item switched off is drawn without a
//   mark by us, so it is a plain entry there too.
// - Key equivalents become the modifier names Control, Alt, Shift, Super in
//   that order, then the key: lowercase for letters, the desktop's key names
//   ("comma", "Return") for the rest.

#include <map>
#include <string>
#include <vector>

#include "platform/StatusBar.h"

namespace kit {

class Menu;
class MenuItem;

class StatusMenuTree {
public:
    // The entries for `menu`; the ids of items no longer in it are forgotten.
    platform::StatusMenuEntry convert(const Menu& menu);

    // The item with this id if it is still in `menu`, else null.
    MenuItem* item(int id, const Menu& menu) const;
    // What the panel opens under this id: `menu` itself for the root, an
    // item's submenu otherwise; null for an unknown id.
    Menu* menu(int id, Menu& menu) const;

    static std::vector<std::string> shortcut(const MenuItem& item);

private:
    platform::StatusMenuEntry entry(const MenuItem& item, std::map<const MenuItem*, int>& ids);
    void addChildren(platform::StatusMenuEntry& parent, const Menu& menu,
                     std::map<const MenuItem*, int>& ids);

    std::map<const MenuItem*, int> ids_;
    int nextId_ = 1;
};

}  // namespace kit
