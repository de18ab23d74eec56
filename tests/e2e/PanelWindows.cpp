#include "e2e/PanelWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace e2e {
namespace {

// A hidden panel keeps a few rows on screen to be found by the pointer.
constexpr int hiddenStripRows = 6;

std::vector<Window> children(Display* display, Window window) {
    Window root = 0, parent = 0, *list = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &list, &count)) return {};
    std::vector<Window> windows(list, list + count);
    if (list) XFree(list);
    return windows;
}

bool isDock(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), 0, 16,
                       False, XA_ATOM, &type, &format, &count, &after, &data);
    bool found = data && format == 32 &&
                 std::find(reinterpret_cast<Atom*>(data), reinterpret_cast<Atom*>(data) + count,
                           dock) != reinterpret_cast<Atom*>(data) + count;
    if (data) XFree(data);
    return found;
}

bool hasClass(Display* display, Window window, const std::string& program) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return false;
    bool found = (hint.res_name && strcasecmp(hint.res_name, program.c_str()) == 0) ||
                 (hint.res_class && strcasecmp(hint.res_class, program.c_str()) == 0);
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return found;
}

}  // namespace

std::vector<PanelWindow> panelWindows(const std::string& displayName, const std::string& program) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) return {};
    auto ignoreErrors = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    std::vector<PanelWindow> found;
    std::vector<Window> windows;
    for (Window top : children(display, DefaultRootWindow(display))) {
        windows.push_back(top);
        for (Window inner : children(display, top)) windows.push_back(inner);
    }
    for (Window window : windows) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, window, &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        if (!isDock(display, window) || !hasClass(display, window, program)) continue;
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        found.push_back({x, y, attributes.width, attributes.height, window});
    }
    XSync(display, False);
    XSetErrorHandler(ignoreErrors);
    XCloseDisplay(display);
    return found;
}

namespace {

// The mapped override-redirect windows that `wanted` accepts, bottom first.
template <typename Wanted>
std::vector<PanelWindow> popUps(const std::string& displayName, Wanted wanted) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) return {};
    std::vector<PanelWindow> found;
    for (Window window : children(display, DefaultRootWindow(display))) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, window, &attributes) || !attributes.override_redirect ||
            attributes.map_state != IsViewable || !wanted(display, window, attributes)) {
            continue;
        }
        found.push_back({attributes.x, attributes.y, attributes.width, attributes.height, window});
    }
    XCloseDisplay(display);
    return found;
}

template <typename Wanted>
std::optional<PanelWindow> popUp(const std::string& displayName, Wanted wanted) {
    auto found = popUps(displayName, wanted);
    if (found.empty()) return std::nullopt;
    return found.front();
}

bool isTarnwicks(Display* display, Window window, const XWindowAttributes&) {
    return hasClass(display, window, "tarnwick");
}

}  // namespace

std::optional<PanelWindow> tarnwickMenu(const std::string& displayName) {
    return popUp(displayName, isTarnwicks);
}

std::vector<PanelWindow> tarnwickMenus(const std::string& displayName) {
    return popUps(displayName, isTarnwicks);
}

std::optional<PanelWindow> menuOpenBelow(const std::string& displayName, int top) {
    return popUp(displayName, [top](Display*, Window, const XWindowAttributes& attributes) {
        return attributes.y >= top && attributes.width >= 100 && attributes.height >= 100;
    });
}

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(double red, double green, double blue) {
    return 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
}

}  // namespace

double contrast(double first, double second) {
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

std::optional<double> topPanelLuminance(const std::string& displayName,
                                        const std::string& program) {
    auto windows = panelWindows(displayName, program);
    auto top = std::find_if(windows.begin(), windows.end(),
                            [](const PanelWindow& window) { return window.y <= 0; });
    if (top == windows.end()) return std::nullopt;
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) return std::nullopt;
    XImage* image = XGetImage(display, DefaultRootWindow(display), std::max(top->x, 0),
                              std::max(top->y, 0), unsigned(top->width),
                              unsigned(top->height + std::min(top->y, 0)), AllPlanes, ZPixmap);
    std::vector<double> samples;
    for (int y = 0; image && y < image->height; y += 2) {
        for (int x = 0; x < image->width; x += 8) {
            unsigned long pixel = XGetPixel(image, x, y);
            samples.push_back(luminance(((pixel >> 16) & 0xff) / 255.0,
                                        ((pixel >> 8) & 0xff) / 255.0, (pixel & 0xff) / 255.0));
        }
    }
    if (image) XDestroyImage(image);
    XCloseDisplay(display);
    if (samples.empty()) return std::nullopt;
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

std::optional<double> inkLuminance(const support::StatusPanel::Pixmap& icon) {
    const auto& bytes = icon.argb;
    std::size_t best = bytes.size();
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
        if (best == bytes.size() || bytes[i] > bytes[best]) best = i;
    }
    if (best == bytes.size() || bytes[best] == 0) return std::nullopt;
    double alpha = bytes[best];
    return luminance(bytes[best + 1] / alpha, bytes[best + 2] / alpha, bytes[best + 3] / alpha);
}

bool topPanelShown(const std::string& display, const std::string& program) {
    auto windows = panelWindows(display, program);
    return std::any_of(windows.begin(), windows.end(), [](const PanelWindow& window) {
        return window.y <= 0 && window.y + window.height > hiddenStripRows;
    });
}

std::optional<PanelWindow> topPanelWindow(const std::string& display, const std::string& program) {
    auto windows = panelWindows(display, program);
    auto top = std::min_element(windows.begin(), windows.end(),
                                [](const PanelWindow& a, const PanelWindow& b) { return a.y < b.y; });
    if (top == windows.end()) return std::nullopt;
    return *top;
}

bool topPanelHidden(const std::string& display, const std::string& program) {
    auto windows = panelWindows(display, program);
    bool movedAway = std::any_of(windows.begin(), windows.end(), [](const PanelWindow& window) {
        return window.y + window.height <= hiddenStripRows && window.height > hiddenStripRows;
    });
    return movedAway && !topPanelShown(display, program);
}

bool waitForTopPanel(const std::string& display, const std::string& program, bool shown,
                     double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (shown ? !topPanelShown(display, program) : !topPanelHidden(display, program)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace e2e
