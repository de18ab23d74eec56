#pragma once

// Names of keys as people see them. Printable keys are named by what they type
// on the current keyboard layout; only keys whose name does not depend on the
// layout (function keys, arrows, editing keys, the keypad) have fixed names.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace KeyCodeName {

// F1 to F20 by virtual key code; other code asks it whether a key is a
// function key.
const std::map<std::uint32_t, std::string>& functionKeys();

// Never empty: a fixed name, the key's character in uppercase, or "Key 200".
std::string name(std::uint32_t keyCode);

// What a menu item shows as its key equivalent for the key, if anything.
std::optional<std::string> menuKeyEquivalent(std::uint32_t keyCode);

// The printable text the current layout types for the key without modifiers.
std::optional<std::string> character(std::uint32_t keyCode);

// The key that types this one character (one grapheme cluster), in either
// case. Printable characters are looked up in a table made from the layout
// current at the first call after start or after layoutDidChange().
std::optional<std::uint32_t> keyCode(std::string_view character);

// Forgets the character table, so the next keyCode() builds it again from
// the layout in use now.
void layoutDidChange();

}  // namespace KeyCodeName
