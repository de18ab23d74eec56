#include "e2e/ScreenPixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace e2e {

namespace {

bool isRed(unsigned long pixel) {
    unsigned long red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    return red > 200 && green < 120 && blue < 120;
}

}  // namespace

std::vector<unsigned long> pixels(unsigned long window, const PixelRect& rect,
                                  const std::string& displayName) {
    std::vector<unsigned long> result;
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (!display) return result;
    // Only what lies inside the window can be read.
    XWindowAttributes attributes;
    int width = 0, height = 0;
    if (XGetWindowAttributes(display, window, &attributes)) {
        width = std::min(rect.width, attributes.width - rect.x);
        height = std::min(rect.height, attributes.height - rect.y);
    }
    XImage* image = nullptr;
    if (width > 0 && height > 0 && rect.x >= 0 && rect.y >= 0) {
        image = XGetImage(display, window, rect.x, rect.y, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), AllPlanes, ZPixmap);
    }
    for (int y = 0; image && y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) result.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    }
    if (image) XDestroyImage(image);
    XCloseDisplay(display);
    return result;
}

int redPixels(unsigned long window, const PixelRect& rect) {
    auto all = pixels(window, rect);
    return static_cast<int>(std::count_if(all.begin(), all.end(), isRed));
}

}  // namespace e2e
