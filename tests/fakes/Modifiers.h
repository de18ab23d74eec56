#pragma once

// The four modifier bits by name, for tests that spell out shortcuts.

#include "shortcuts/HotKey.h"

namespace fakes::modifiers {
inline constexpr std::uint64_t shift = ModifierFlags::shift;
inline constexpr std::uint64_t control = ModifierFlags::control;
inline constexpr std::uint64_t option = ModifierFlags::option;
inline constexpr std::uint64_t command = ModifierFlags::command;
}  // namespace fakes::modifiers
