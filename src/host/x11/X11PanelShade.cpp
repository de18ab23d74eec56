#include "host/x11/X11PanelShade.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <glib.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/x11/X11Properties.h"

namespace host {
namespace {

constexpr unsigned lookSeconds = 3;
// Enough pixels for a median of a panel's background, few enough to be cheap.
constexpr int samplesAcross = 64;

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double channelOf(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    int shift = __builtin_ctzl(mask);
    return double((pixel & mask) >> shift) / double(mask >> shift);
}

}  // namespace

std::optional<double> medianLuminance(Display* display, int x, int y, int width, int height) {
    int screen = DefaultScreen(display);
    int left = std::max(x, 0), top = std::max(y, 0);
    int right = std::min(x + width, DisplayWidth(display, screen));
    int bottom = std::min(y + height, DisplayHeight(display, screen));
    if (right <= left || bottom <= top) return std::nullopt;
    X11ErrorTrap trap(display);
    XImage* image = XGetImage(display, RootWindow(display, screen), left, top,
                              unsigned(right - left), unsigned(bottom - top), AllPlanes, ZPixmap);
    if (trap.sync() != 0 || !image) return std::nullopt;
    std::vector<double> samples;
    int stepX = std::max(1, (right - left) / samplesAcross);
    for (int row = 0; row < bottom - top; row += std::max(1, (bottom - top) / 8)) {
        for (int column = 0; column < right - left; column += stepX) {
            unsigned long pixel = XGetPixel(image, column, row);
            samples.push_back(0.2126 * linear(channelOf(pixel, image->red_mask)) +
                              0.7152 * linear(channelOf(pixel, image->green_mask)) +
                              0.0722 * linear(channelOf(pixel, image->blue_mask)));
        }
    }
    XDestroyImage(image);
    if (samples.empty()) return std::nullopt;
    auto middle = samples.begin() + std::ptrdiff_t(samples.size() / 2);
    std::nth_element(samples.begin(), middle, samples.end());
    return *middle;
}

X11PanelShade::X11PanelShade(X11Connection& connection, std::function<void(bool)> changed)
    : connection_(connection), changed_(std::move(changed)) {
    if (!connection_.available()) return;
    look();
    timer_ = g_timeout_add_seconds(
        lookSeconds,
        [](gpointer self) -> gboolean {
            static_cast<X11PanelShade*>(self)->look();
            return G_SOURCE_CONTINUE;
        },
        this);
}

X11PanelShade::~X11PanelShade() {
    if (timer_) g_source_remove(timer_);
}

// The widest panel on the screen is the one with the status area on
// desktops that have one; a panel hidden off the screen says nothing.
void X11PanelShade::look() {
    Display* display = connection_.display();
    std::optional<double> luminance;
    int widest = 0;
    X11ErrorTrap trap(display);
    for (unsigned long dock : x11MappedDocks(display, connection_.rootWindow())) {
        XWindowAttributes attributes{};
        int x = 0, y = 0;
        Window child = 0;
        if (!XGetWindowAttributes(display, dock, &attributes) || attributes.width <= widest ||
            !XTranslateCoordinates(display, dock, connection_.rootWindow(), 0, 0, &x, &y, &child)) {
            continue;
        }
        if (auto found = medianLuminance(display, x, y, attributes.width, attributes.height)) {
            luminance = found;
            widest = attributes.width;
        }
    }
    trap.sync();
    if (!luminance) return;
    bool dark = *luminance < darkBelow;
    if (dark == dark_) return;
    dark_ = dark;
    if (changed_) changed_(dark);
}

}  // namespace host
