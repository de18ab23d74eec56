#include "kit/StatusMenuTree.h"

#include "kit/Menu.h"
#include "platform/Unicode.h"

namespace kit {
namespace {

using Entry = platform::StatusMenuEntry;

// The desktop's names for keys that are not letters or digits.
std::string keyName(const std::string& key) {
    static const std::map<std::string, std::string> names = {
        {",", "comma"},        {".", "period"},     {"/", "slash"},     {";", "semicolon"},
        {"'", "apostrophe"},   {"-", "minus"},      {"=", "equal"},     {"[", "bracketleft"},
        {"]", "bracketright"}, {"\\", "backslash"}, {"`", "grave"},     {" ", "space"},
        {"\r", "Return"},      {"\t", "Tab"},       {"\x1b", "Escape"}, {"\x7f", "BackSpace"},
    };
    auto found = names.find(key);
    if (found != names.end()) return found->second;
    return platform::unicode::lowercased(key);
}

bool impliesShift(const std::string& key) {
    return platform::unicode::lowercased(key) != key && platform::unicode::uppercased(key) == key;
}

int toggleState(ControlState state) {
    if (state == ControlState::on) return 1;
    if (state == ControlState::mixed) return -1;
    return 0;
}

// Looks for the very item object, never reading through `wanted`: it may be
// gone.
MenuItem* findLive(const Menu& menu, const MenuItem* wanted) {
    for (const auto& item : menu.items()) {
        if (item.get() == wanted) return item.get();
        if (!item->submenu()) continue;
        if (auto* found = findLive(*item->submenu(), wanted)) return found;
    }
    return nullptr;
}

}  // namespace

// The panel shows the menu in its own process, where only a global hot key
// still works; a hint for any other key would promise nothing.
std::vector<std::string> StatusMenuTree::shortcut(const MenuItem& item) {
    const std::string& key = item.keyEquivalent();
    if (key.empty() || !item.keyEquivalentIsGlobal()) return {};
    auto mask = item.keyEquivalentModifierMask();
    std::vector<std::string> names;
    if (mask & KeyModifier::control) names.push_back("Control");
    if (mask & KeyModifier::option) names.push_back("Alt");
    if ((mask & KeyModifier::shift) || impliesShift(key)) names.push_back("Shift");
    if (mask & KeyModifier::command) names.push_back("Super");
    names.push_back(keyName(key));
    return names;
}

platform::StatusMenuEntry StatusMenuTree::convert(const Menu& menu) {
    std::map<const MenuItem*, int> ids;
    Entry root;
    root.id = 0;
    root.label = menu.title();
    addChildren(root, menu, ids);
    ids_ = std::move(ids);
    return root;
}

void StatusMenuTree::addChildren(Entry& parent, const Menu& menu,
                                 std::map<const MenuItem*, int>& ids) {
    for (const auto& item : menu.items()) parent.children.push_back(entry(*item, ids));
}

Entry StatusMenuTree::entry(const MenuItem& item, std::map<const MenuItem*, int>& ids) {
    auto known = ids_.find(&item);
    Entry entry;
    entry.id = known != ids_.end() ? known->second : nextId_++;
    ids[&item] = entry.id;
    if (item.isSeparator()) {
        entry.kind = Entry::Kind::separator;
        return entry;
    }
    entry.label = item.title();
    entry.toolTip = item.toolTip();
    if (item.isSectionHeader()) {
        entry.kind = Entry::Kind::sectionHeader;
        entry.enabled = false;
        return entry;
    }
    entry.enabled = item.isEnabled();
    if (item.state() != ControlState::off) entry.toggle = Entry::Toggle::checkmark;
    entry.toggleState = toggleState(item.state());
    entry.shortcut = shortcut(item);
    if (item.submenu()) addChildren(entry, *item.submenu(), ids);
    return entry;
}

MenuItem* StatusMenuTree::item(int id, const Menu& menu) const {
    for (const auto& [item, itemId] : ids_) {
        if (itemId == id) return findLive(menu, item);
    }
    return nullptr;
}

Menu* StatusMenuTree::menu(int id, Menu& menu) const {
    if (id == 0) return &menu;
    auto* owner = item(id, menu);
    return owner ? owner->submenu() : nullptr;
}

}  // namespace kit
