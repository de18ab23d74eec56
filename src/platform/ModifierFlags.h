#pragma once

// The device-independent modifier bits of key events, menus and shortcuts.

#include <cstdint>

namespace platform::ModifierFlags {
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
// The four bits a shortcut keeps; every producer reduces to it.
inline constexpr std::uint64_t mask = 0x1E0000;
}  // namespace platform::ModifierFlags
