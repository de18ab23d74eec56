#include "host/tray/DBusMenuLayout.h"

namespace host {
namespace {

using platform::StatusMenuEntry;

// What a panel assumes for a property that is not sent.
const MenuProperties& menuDefaults() {
    static const MenuProperties defaults = {
        {"type", std::string("standard")},
        {"label", std::string()},
        {"enabled", true},
        {"visible", true},
        {"icon-name", std::string()},
        {"toggle-type", std::string()},
        {"toggle-state", -1},
        {"children-display", std::string()},
        {"shortcut", MenuShortcut{}},
        {"disposition", std::string("normal")},
        {"accessible-desc", std::string()},
        {"x-tarnwick-tooltip", std::string()},
    };
    return defaults;
}

// A single "_" marks the mnemonic; a literal one is doubled.
std::string escapedLabel(const std::string& label) {
    std::string escaped;
    for (char character : label) {
        if (character == '_') escaped += '_';
        escaped += character;
    }
    return escaped;
}

int toggleState(int state) {
    return state == 0 || state == 1 ? state : -1;
}

void addToggle(MenuProperties& properties, const StatusMenuEntry& entry) {
    if (entry.toggle != StatusMenuEntry::Toggle::checkmark) return;
    properties["toggle-type"] = std::string("checkmark");
    // -1 (mixed) is the default, so it goes unsent.
    if (int state = toggleState(entry.toggleState); state != -1) properties["toggle-state"] = state;
}

// dbusmenu has no tooltip. accessible-desc is what screen readers say and
// some panels show on hover; x-tarnwick-tooltip (the protocol leaves "x-"
// names to applications) carries the text verbatim for tools that look.
void addToolTip(MenuProperties& properties, const StatusMenuEntry& entry) {
    if (entry.toolTip.empty()) return;
    properties["accessible-desc"] = entry.toolTip;
    properties["x-tarnwick-tooltip"] = entry.toolTip;
}

MenuProperties entryProperties(const StatusMenuEntry& entry) {
    using Kind = StatusMenuEntry::Kind;
    if (entry.kind == Kind::separator) return {{"type", std::string("separator")}};
    MenuProperties properties;
    if (!entry.label.empty()) properties["label"] = escapedLabel(entry.label);
    // Panels know no section headers; a disabled entry with the header's
    // text reads as one.
    if (entry.kind == Kind::sectionHeader) {
        properties["enabled"] = false;
        return properties;
    }
    if (!entry.enabled) properties["enabled"] = false;
    addToggle(properties, entry);
    if (!entry.shortcut.empty()) properties["shortcut"] = MenuShortcut{entry.shortcut};
    if (!entry.children.empty()) properties["children-display"] = std::string("submenu");
    addToolTip(properties, entry);
    return properties;
}

bool clickable(const StatusMenuEntry& entry) {
    return entry.kind == StatusMenuEntry::Kind::item && entry.enabled;
}

void addEntries(Menu& menu, int parent, const std::vector<StatusMenuEntry>& entries) {
    for (const auto& entry : entries) {
        // Panels address entries by id; one without its own id, or with
        // another's, could not be told apart.
        if (entry.id == 0 || menu.contains(entry.id)) continue;
        menu[parent].children.push_back(entry.id);
        menu[entry.id] = {entryProperties(entry), {}, clickable(entry)};
        addEntries(menu, entry.id, entry.children);
    }
}

MenuProperties updatedProperties(const MenuProperties& before, const MenuProperties& after) {
    MenuProperties updated;
    for (const auto& [name, value] : after) {
        auto old = before.find(name);
        if (old == before.end() || old->second != value) updated.emplace(name, value);
    }
    return updated;
}

std::vector<std::string> removedProperties(const MenuProperties& before,
                                           const MenuProperties& after) {
    std::vector<std::string> removed;
    for (const auto& [name, value] : before) {
        if (!after.contains(name)) removed.push_back(name);
    }
    return removed;
}

}  // namespace

Menu flattenMenu(const StatusMenuEntry& root) {
    Menu menu;
    menu[0].properties["children-display"] = std::string("submenu");
    addEntries(menu, 0, root.children);
    return menu;
}

std::optional<MenuValue> propertyValue(const MenuNode& node, const std::string& name) {
    if (auto found = node.properties.find(name); found != node.properties.end()) {
        return found->second;
    }
    if (auto known = menuDefaults().find(name); known != menuDefaults().end()) {
        return known->second;
    }
    return std::nullopt;
}

PropertyChanges propertyChanges(const Menu& before, const Menu& after) {
    PropertyChanges changes;
    for (const auto& [id, node] : after) {
        auto old = before.find(id);
        if (old == before.end()) continue;
        auto updated = updatedProperties(old->second.properties, node.properties);
        auto removed = removedProperties(old->second.properties, node.properties);
        if (!updated.empty()) changes.updated.emplace(id, std::move(updated));
        if (!removed.empty()) changes.removed.emplace(id, std::move(removed));
    }
    return changes;
}

}  // namespace host
