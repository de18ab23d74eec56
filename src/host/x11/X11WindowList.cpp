#include "host/x11/X11WindowList.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <optional>
#include <string>

#include "host/x11/X11Properties.h"

// Levels, as the desktop's window server would report them:
//   _NET_WM_WINDOW_TYPE_DOCK along the top edge of a monitor (y equal to the
//     monitor's top) and at least 90 % of its width: the menu bar, level
//     mainMenuLevel (24), owner "WindowServer";
//   any other dock window (panels, trays): a status item, statusLevel (25);
//   override-redirect windows (menus, pop-ups, tooltips): popUpMenuLevel (101);
//   everything else: an ordinary window, level 0.
// Nothing is put at cursorLevel (2000): X draws the pointer itself, not as a
// window. Dock type is looked at before override-redirect, so a panel that
// places itself is still a panel.
// The menu bar under the pointer is looked into on the accessibility bus: the
// panel item under the pointer is listed in front of it at statusLevel, and a
// panel that cannot tell its items from its background keeps its own owner
// name, so it is not taken for the menu bar there.

namespace host {
namespace {

using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;
namespace Keys = platform::WindowInfoKeys;

constexpr double menuBarShareOfWidth = 0.9;
constexpr const char* menuBarOwner = "WindowServer";

struct WindowFacts {
    RootRect bounds;
    bool overrideRedirect = false;
};

// Absent for windows that are not on screen, input-only or already gone.
std::optional<WindowFacts> visibleWindowFacts(Display* display, Window root, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return std::nullopt;
    if (attributes.map_state != IsViewable || attributes.c_class == InputOnly) return std::nullopt;
    // A managed window sits in its frame; its own x and y are the frame's.
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child)) return std::nullopt;
    return WindowFacts{{x, y, attributes.width, attributes.height},
                       attributes.override_redirect != 0};
}

bool isOverrideRedirect(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.override_redirect;
}

// Bottom to top. A window manager's stacking list names the client windows
// (not their frames) in its order; windows it does not manage are the
// override-redirect children of the root, which sit above managed ones.
// Without a window manager the root's children are the windows themselves.
std::vector<Window> windowsBottomToTop(Display* display, Window root) {
    std::vector<Window> children = x11Children(display, root);
    auto clients = x11Longs(display, root, "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
    if (clients.empty()) return children;
    std::vector<Window> windows(clients.begin(), clients.end());
    for (Window child : children) {
        X11ErrorTrap trap(display);
        if (isOverrideRedirect(display, child)) windows.push_back(child);
    }
    return windows;
}

bool isMenuBar(const RootRect& bounds, const std::vector<RootRect>& monitors) {
    return std::any_of(monitors.begin(), monitors.end(), [&](const RootRect& monitor) {
        bool onTopEdge =
            bounds.y == monitor.y && bounds.x >= monitor.x && bounds.x < monitor.x + monitor.width;
        return onTopEdge && bounds.width >= menuBarShareOfWidth * monitor.width;
    });
}

double alphaOf(Display* display, Window window) {
    auto opacity = x11Longs(display, window, "_NET_WM_WINDOW_OPACITY", XA_CARDINAL);
    if (opacity.empty()) return 1.0;
    return static_cast<double>(opacity.front() & 0xffffffffUL) / 0xffffffffUL;
}

// The application's class name, else the window's title, else nothing.
std::string ownerNameOf(Display* display, Window window) {
    std::string owner = x11ClassHint(display, window).windowClass;
    if (!owner.empty()) return owner;
    owner = x11Utf8Text(display, window, "_NET_WM_NAME");
    if (!owner.empty()) return owner;
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        owner = name;
        XFree(name);
    }
    return owner;
}

PropertyValue boundsValue(const RootRect& bounds) {
    return PropertyDictionary{{"X", double(bounds.x)},
                              {"Y", double(bounds.y)},
                              {"Width", double(bounds.width)},
                              {"Height", double(bounds.height)}};
}

struct Entry {
    int level = 0;
    RootRect bounds;
    double alpha = 1.0;
    std::string owner;
    std::string application;  // the owner before a menu bar is named after the window server
};

// The window list counts from the primary monitor's top-left corner, as the
// click point does, wherever that monitor lies in the root window.
PropertyValue entryValue(const Entry& entry, const RootRect& primary) {
    RootRect bounds{entry.bounds.x - primary.x, entry.bounds.y - primary.y, entry.bounds.width,
                    entry.bounds.height};
    return PropertyDictionary{{Keys::layer, entry.level},
                              {Keys::bounds, boundsValue(bounds)},
                              {Keys::alpha, entry.alpha},
                              {Keys::ownerName, entry.owner}};
}

std::optional<Entry> windowEntry(Display* display, Window root, Window window,
                                 const std::vector<RootRect>& monitors) {
    auto facts = visibleWindowFacts(display, root, window);
    if (!facts) return std::nullopt;
    Entry entry{0, facts->bounds, alphaOf(display, window), ownerNameOf(display, window), {}};
    entry.application = entry.owner;
    if (x11HasWindowType(display, window, "_NET_WM_WINDOW_TYPE_DOCK")) {
        bool menuBar = isMenuBar(facts->bounds, monitors);
        entry.level = menuBar ? X11WindowList::mainMenuLevel : X11WindowList::statusLevel;
        if (menuBar) entry.owner = menuBarOwner;
    } else if (facts->overrideRedirect) {
        entry.level = X11WindowList::popUpMenuLevel;
    }
    return entry;
}

bool contains(const RootRect& rect, const RootRect& point) {
    return point.x >= rect.x && point.x < rect.x + rect.width && point.y >= rect.y &&
           point.y < rect.y + rect.height;
}

// Tray icons of the older kind are other programs' windows embedded in the
// panel (XEmbed), which the panel's accessibility data may not show: the
// deepest window under the point below the panel's, when it is one of them.
std::optional<RootRect> embeddedWindowAt(Display* display, Window root, Window panel,
                                         const RootRect& point) {
    X11ErrorTrap trap(display);
    Window current = panel, child = 0;
    std::optional<RootRect> found;
    for (int depth = 0; depth < 16; ++depth) {
        int x = 0, y = 0;
        if (!XTranslateCoordinates(display, root, current, point.x, point.y, &x, &y, &child) ||
            !child) {
            break;
        }
        current = child;
        if (!x11Longs(display, current, "_XEMBED_INFO", x11Atom(display, "_XEMBED_INFO")).empty()) {
            if (auto facts = visibleWindowFacts(display, root, current)) found = facts->bounds;
        }
    }
    return trap.sync() == 0 ? found : std::nullopt;
}

std::vector<RootRect> randrMonitors(Display* display, Window root) {
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return {};
    int count = 0;
    XRRMonitorInfo* infos = XRRGetMonitors(display, root, True, &count);
    if (!infos) return {};
    std::vector<RootRect> monitors;
    for (int i = 0; i < count; ++i) {
        RootRect rect{infos[i].x, infos[i].y, infos[i].width, infos[i].height};
        // The primary one goes first; RandR lists it anywhere.
        if (infos[i].primary) {
            monitors.insert(monitors.begin(), rect);
        } else {
            monitors.push_back(rect);
        }
    }
    XRRFreeMonitors(infos);
    return monitors;
}

}  // namespace

std::vector<RootRect> monitorsInRoot(X11Connection& connection) {
    Display* display = connection.display();
    if (!display) return {};
    auto monitors = randrMonitors(display, connection.rootWindow());
    if (!monitors.empty()) return monitors;
    int screen = DefaultScreen(display);
    return {RootRect{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)}};
}

platform::ScreenPoint screenPointFromRoot(const RootRect& primary, int x, int y) {
    return {double(x - primary.x), double(primary.y + primary.height - y)};
}

std::optional<X11Pointer> x11QueryPointer(Display* display, unsigned long window) {
    Window root = 0, child = 0;
    X11Pointer pointer;
    int windowX = 0, windowY = 0;
    if (!XQueryPointer(display, window, &root, &child, &pointer.x, &pointer.y, &windowX, &windowY,
                       &pointer.modifiers)) {
        return std::nullopt;
    }
    pointer.child = child;
    return pointer;
}

std::vector<platform::ScreenRect> X11WindowList::screens() {
    auto monitors = monitorsInRoot(connection_);
    std::vector<platform::ScreenRect> screens;
    if (monitors.empty()) return screens;
    const RootRect primary = monitors.front();
    for (const RootRect& monitor : monitors) {
        // The bottom-left corner, flipped about the primary's bottom edge.
        auto corner = screenPointFromRoot(primary, monitor.x, monitor.y + monitor.height);
        screens.push_back({corner.x, corner.y, double(monitor.width), double(monitor.height)});
    }
    return screens;
}

std::optional<PropertyValue> X11WindowList::copyWindowInfo() {
    Display* display = connection_.display();
    if (!display) return std::nullopt;
    Window root = connection_.rootWindow();
    auto monitors = monitorsInRoot(connection_);
    const RootRect primary = monitors.front();
    // The list is asked for right after a press, so the pointer is where it was.
    std::optional<RootRect> pointer;
    if (auto at = x11QueryPointer(display, root)) pointer = RootRect{at->x, at->y, 1, 1};
    std::vector<Window> windows = windowsBottomToTop(display, root);
    PropertyArray entries;
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        // Windows can go while we walk; their errors are caught and they are left out.
        X11ErrorTrap trap(display);
        auto entry = windowEntry(display, root, *window, monitors);
        if (!entry || trap.sync() != 0) continue;
        bool underPointer = pointer && contains(entry->bounds, *pointer);
        if (entry->owner == menuBarOwner && underPointer &&
            !lookInto(*window, *pointer, entry->application, primary, entries)) {
            entry->owner = entry->application;
        }
        entries.push_back(entryValue(*entry, primary));
    }
    return PropertyValue(std::move(entries));
}

// A panel draws its items inside its one window. The item under the pointer
// goes in front of it as a status item; a panel that cannot tell its items
// from its background is not taken for the menu bar: false then.
bool X11WindowList::lookInto(unsigned long window, const RootRect& pointer,
                             const std::string& application, const RootRect& primary,
                             PropertyArray& entries) {
    auto owner = x11WindowOwner(connection_.display(), window);
    int pid = owner && owner->processIdentifier ? *owner->processIdentifier : 0;
    PanelSpot spot =
        pid > 0 ? panelContents_.at(pid, pointer.x, pointer.y)
                : PanelSpot{PanelSpot::Kind::unknown, {}, "it does not say which process draws it"};
    switch (spot.kind) {
        case PanelSpot::Kind::background:
            if (auto icon = embeddedWindowAt(connection_.display(), connection_.rootWindow(),
                                             window, pointer)) {
                entries.push_back(entryValue({statusLevel, *icon, 1.0, application, {}}, primary));
            }
            return true;
        case PanelSpot::Kind::item:
            entries.push_back(entryValue({statusLevel, spot.item, 1.0, application, {}}, primary));
            return true;
        case PanelSpot::Kind::unknown:
            break;
    }
    noteOnce(pid, application, spot.reason);
    return false;
}

void X11WindowList::noteOnce(int pid, const std::string& application, const std::string& reason) {
    if (!note_ || !panelsNoted_.insert(pid).second) return;
    std::string panel = application + (pid > 0 ? " (pid " + std::to_string(pid) + ")" : "");
    note_("Right-clicks on " + panel + " are left alone: " + reason +
          ", so its empty stretch can't be told from its items");
}

int X11WindowList::windowLevel(platform::WindowLevelKey key) {
    return key == platform::WindowLevelKey::mainMenu ? mainMenuLevel : cursorLevel;
}

}  // namespace host
