#include "e2e/ScreenPixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace e2e {

namespace {

bool isRed(unsigned long pixel) {
    unsigned long red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    return red > 200 && green < 120 && blue < 120;
}

}  // namespace

int redPixels(unsigned long window, const PixelRect& rect) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return -1;
    XImage* image = XGetImage(display, window, rect.x, rect.y, static_cast<unsigned>(rect.width),
                              static_cast<unsigned>(rect.height), AllPlanes, ZPixmap);
    int count = 0;
    for (int y = 0; image && y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) count += isRed(XGetPixel(image, x, y)) ? 1 : 0;
    }
    if (image) XDestroyImage(image);
    XCloseDisplay(display);
    return count;
}

}  // namespace e2e
