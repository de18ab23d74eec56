#pragma once

// What a window shows on the X server, read back as a person would see it.

namespace e2e {

struct PixelRect {
    int x, y, width, height;
};

// How many pixels of the window in `rect` are strongly red, the colour
// refusals are written in; -1 without a display.
int redPixels(unsigned long window, const PixelRect& rect);

}  // namespace e2e
