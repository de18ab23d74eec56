#pragma once

// The system's own keyboard shortcuts (those the desktop's keyboard settings
// list), as the system reports them now.

#include <cstdint>
#include <optional>

#include "platform/PropertyValue.h"

namespace platform {

namespace SymbolicHotKeyKeys {
inline constexpr const char* enabled = "kHISymbolicHotKeyEnabled";      // boolean
inline constexpr const char* code = "kHISymbolicHotKeyCode";            // integer, virtual key code
inline constexpr const char* modifiers = "kHISymbolicHotKeyModifiers";  // integer, Carbon bits
}  // namespace SymbolicHotKeyKeys

// One shortcut with the number the system knows it by; `entry` has the keys
// above.
struct NumberedSymbolicHotKey {
    std::int64_t number = 0;
    PropertyDictionary entry;
    bool operator==(const NumberedSymbolicHotKey&) const = default;
};

class SymbolicHotKeys {
public:
    virtual ~SymbolicHotKeys() = default;

    // An array of dictionaries with the keys above, one per shortcut, in the
    // system's order; absent when the system cannot answer. What comes back
    // is outside data: callers check every type.
    virtual std::optional<PropertyValue> copySymbolicHotKeys() = 0;
};

}  // namespace platform
