#pragma once

// Pictures are drawn with premultiplied alpha; desktop protocols for icons
// (StatusNotifierItem pixmaps, _NET_WM_ICON) want each colour whole.

#include <cstdint>

namespace host {

// 0xAARRGGBB premultiplied to 0xAARRGGBB straight; fully transparent is 0.
std::uint32_t straightArgb(std::uint32_t premultiplied);

}  // namespace host
