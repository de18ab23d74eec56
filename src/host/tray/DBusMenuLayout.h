#pragma once

// The menu as com.canonical.dbusmenu describes it: entries by id, each a set
// of properties that differ from the protocol's defaults, and what changed
// between two versions of it. No bus here, only the data.

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/StatusBar.h"

namespace host {

using MenuShortcut = std::vector<std::vector<std::string>>;
using MenuValue = std::variant<bool, int, std::string, MenuShortcut>;
using MenuProperties = std::map<std::string, MenuValue>;

struct MenuNode {
    MenuProperties properties;
    std::vector<int> children;
    bool clickable = false;
    bool operator==(const MenuNode&) const = default;
};

using Menu = std::map<int, MenuNode>;  // 0 is the root

Menu flattenMenu(const platform::StatusMenuEntry& root);

// A property that is not sent has the protocol's default; absent for a name
// the protocol does not know.
std::optional<MenuValue> propertyValue(const MenuNode& node, const std::string& name);

// Properties of entries that exist before and after a change.
struct PropertyChanges {
    std::map<int, MenuProperties> updated;
    std::map<int, std::vector<std::string>> removed;
    bool empty() const { return updated.empty() && removed.empty(); }
};

PropertyChanges propertyChanges(const Menu& before, const Menu& after);

}  // namespace host
