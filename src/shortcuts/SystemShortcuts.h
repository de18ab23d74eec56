#pragma once

// Whether the system itself uses a shortcut, and under which name to tell
// people. A few combinations are always taken; the rest is decided by the
// system's list of its own shortcuts as it stands now, so a shortcut the user
// switched off no longer counts and a reassigned one counts where it is now.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PropertyValue.h"
#include "platform/SymbolicHotKeys.h"
#include "shortcuts/HotKey.h"

namespace SystemShortcuts {

struct Reserved {
    std::string_view name;
    std::uint32_t keyCode;
    std::uint64_t modifiers;
};

// The system's own shortcuts at their factory combinations, with the names
// people know them by.
struct Default {
    int number;  // the system's number of the shortcut
    std::string_view name;
    std::uint32_t keyCode;
    std::uint64_t modifiers;
    int fromMajorVersion;  // the first system version that has it
};

// Combinations refused without asking the system.
const std::vector<Reserved>& reserved();
const std::vector<Default>& defaults();

// For a live shortcut no default names.
inline constexpr std::string_view genericDescription = "a macOS shortcut (System Settings › Keyboard)";

// The name of the system shortcut that uses the combination, or absent.
std::optional<std::string> owner(const HotKey& hotKey);

// The list a machine reports before anyone changes a shortcut: every default
// that the given system version has, enabled, in the system's answer form,
// each with its number.
std::vector<platform::NumberedSymbolicHotKey> factorySymbolicHotKeys(int majorVersion);

}  // namespace SystemShortcuts
