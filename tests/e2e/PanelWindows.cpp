#include "e2e/PanelWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <strings.h>

#include <algorithm>
#include <chrono>
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
        found.push_back({x, y, attributes.width, attributes.height});
    }
    XSync(display, False);
    XSetErrorHandler(ignoreErrors);
    XCloseDisplay(display);
    return found;
}

std::optional<PanelWindow> tarnwickMenu(const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) return std::nullopt;
    std::optional<PanelWindow> found;
    for (Window window : children(display, DefaultRootWindow(display))) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, window, &attributes) || !attributes.override_redirect ||
            attributes.map_state != IsViewable || !hasClass(display, window, "tarnwick")) {
            continue;
        }
        found = PanelWindow{attributes.x, attributes.y, attributes.width, attributes.height};
        break;
    }
    XCloseDisplay(display);
    return found;
}

bool topPanelShown(const std::string& display, const std::string& program) {
    auto windows = panelWindows(display, program);
    return std::any_of(windows.begin(), windows.end(), [](const PanelWindow& window) {
        return window.y <= 0 && window.y + window.height > hiddenStripRows;
    });
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
