#pragma once

// The X modifier bits in the desktop's usual roles: Option is Alt (Mod1),
// Command is Super (Mod4). Our windows' events, the desktop-wide mouse
// monitor and the global hot keys all read them the same way.

#include <cstdint>

namespace host {

// The caps-lock bit of the modifier flags; the shortcut mask leaves it out.
inline constexpr std::uint64_t x11CapsLockFlag = 0x10000;

enum class CapsLock { reported, leftOut };

// The modifier flags of an X event's or the pointer's state; other bits
// (buttons, Num Lock, the layout group) are dropped.
std::uint64_t x11ModifierFlags(unsigned state, CapsLock capsLock);

// The X modifiers of a global hot key's Carbon modifiers; other bits are dropped.
unsigned x11ModifiersOfCarbon(std::uint32_t carbonModifiers);

}  // namespace host
