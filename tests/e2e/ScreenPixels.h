#pragma once

// What a window shows on the X server, read back as a person would see it.

#include <string>
#include <vector>

namespace e2e {

struct PixelRect {
    int x, y, width, height;
};

// The window's pixels in `rect` (0xRRGGBB), row by row; as much of it as
// lies inside the window, nothing without a display. The display is
// $DISPLAY's unless named.
std::vector<unsigned long> pixels(unsigned long window, const PixelRect& rect,
                                  const std::string& display = "");

// How many pixels of the window in `rect` are strongly red, the colour
// refusals are written in.
int redPixels(unsigned long window, const PixelRect& rect);

}  // namespace e2e
