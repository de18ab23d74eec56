#pragma once

// A keyboard shortcut as a plain value: a virtual key code (a key position,
// the same on every layout) and the four modifier bits we keep.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ModifierFlags.h"
#include "platform/PropertyValue.h"

namespace ModifierFlags = platform::ModifierFlags;

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

    // A Services key equivalent: optional prefixes @ (command), ~ (option),
    // ^ (control) and $ (shift), then exactly one character; an uppercase one
    // adds shift. Without any prefix the key means ⇧⌘ and the key.
    static std::optional<HotKey> fromServicesKeyEquivalent(std::string_view text);

    // The first-launch candidates, tried in order.
    static const std::vector<HotKey>& defaultCandidates();
};
