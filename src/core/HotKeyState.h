#pragma once

// The controller's shortcut state: a shortcut in use, one that cannot be used
// and why, or none.

#include <string>
#include <variant>

#include "shortcuts/HotKey.h"

namespace HotKeyStates {

// Registered and working: pressing it toggles auto-hide.
struct Active {
    HotKey hotKey;
    bool operator==(const Active&) const = default;
};

// The user's shortcut (or the last default tried) cannot be used.
struct Inactive {
    HotKey hotKey;
    std::string reason;
    bool operator==(const Inactive&) const = default;
};

struct Off {
    bool operator==(const Off&) const = default;
};

}  // namespace HotKeyStates

using HotKeyState = std::variant<HotKeyStates::Off, HotKeyStates::Active, HotKeyStates::Inactive>;

// "off", the shortcut's text, or the text followed by " (inactive)".
std::string hotKeyDescription(const HotKeyState& state);
