#pragma once

// The program's virtual key codes are the desktop-independent key positions of
// an ANSI keyboard (0 is the key that types A on a US layout, 36 is Return).
// This is the one table between them and the XKB key codes of a Linux desktop
// (evdev code + 8). Keys are matched by position, not by what they type.

#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <optional>

namespace host {

std::optional<xkb_keycode_t> xkbKeyCode(std::uint16_t virtualKeyCode);
std::optional<std::uint16_t> virtualKeyCode(xkb_keycode_t xkbKeyCode);

}  // namespace host
