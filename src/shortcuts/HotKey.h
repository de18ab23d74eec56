#pragma once

// A keyboard shortcut as a plain value: a virtual key code (a key position,
// the same on every layout) and the four modifier bits we keep.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/PropertyValue.h"

namespace ModifierFlags {
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
// The device-independent bits a shortcut keeps; every producer reduces to it.
inline constexpr std::uint64_t mask = 0x1E0000;
}  // namespace ModifierFlags

struct HotKey {
    std::uint32_t keyCode = 0;
    std::uint64_t modifiers = 0;

    bool operator==(const HotKey&) const = default;

    // ⌃⌥⇧⌘ in that order, for the modifiers present.
    std::string modifierSymbols() const;
    // The modifiers in the bits global registration uses (command 0x100,
    // shift 0x200, option 0x800, control 0x1000).
    std::uint32_t carbonModifiers() const;
    // What people see: the symbols followed by the key's name, e.g. ⌃⌥⌘M.
    std::string displayText() const;

    // The stored form: {"keyCode": integer, "modifiers": integer}.
    platform::PropertyDictionary dictionary() const;
    // Absent unless both entries are integers in range; extra modifier bits
    // are dropped.
    static std::optional<HotKey> fromDictionary(const platform::PropertyDictionary& dictionary);

    // The first-launch candidates, tried in order.
    static const std::vector<HotKey>& defaultCandidates();
};
