#pragma once

// The device-independent modifier bits of key events, menus and shortcuts,
// and the same modifiers in the bits of the system's older keyboard
// interfaces (global registration, the list of the system's own shortcuts).

#include <cstdint>

namespace platform::ModifierFlags {
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
// Set for the keys of the function row, the arrows and the editing block.
inline constexpr std::uint64_t function = 0x800000;
// The four bits a shortcut keeps; every producer reduces to it.
inline constexpr std::uint64_t mask = 0x1E0000;
}  // namespace platform::ModifierFlags

namespace platform::CarbonModifiers {
inline constexpr std::uint32_t command = 0x100;
inline constexpr std::uint32_t shift = 0x200;
inline constexpr std::uint32_t option = 0x800;
inline constexpr std::uint32_t control = 0x1000;
inline constexpr std::uint32_t functionKey = 0x20000;

// Other bits are dropped.
constexpr std::uint32_t fromModifierFlags(std::uint64_t flags) {
    std::uint32_t carbon = 0;
    if (flags & ModifierFlags::command) carbon |= command;
    if (flags & ModifierFlags::shift) carbon |= shift;
    if (flags & ModifierFlags::option) carbon |= option;
    if (flags & ModifierFlags::control) carbon |= control;
    if (flags & ModifierFlags::function) carbon |= functionKey;
    return carbon;
}
}  // namespace platform::CarbonModifiers
