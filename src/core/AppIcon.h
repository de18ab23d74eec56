#pragma once

// Tarnwick's own icon, for the desktop's window lists and switchers: the
// menu-bar symbol in white on a rounded square of the accent colour.

#include "kit/Image.h"

namespace AppIcon {

// 128 points square, drawn at one pixel per point.
kit::Image image();

}  // namespace AppIcon
