#include "host/x11/X11Properties.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace host {
namespace {

struct XFreeDeleter {
    void operator()(unsigned char* data) const { XFree(data); }
};

// What XGetWindowProperty hands over of a property.
struct PropertyItems {
    std::unique_ptr<unsigned char, XFreeDeleter> data;
    unsigned long count = 0;
};

// Absent when the window lacks the property, it has another type or
// `format` (bits an item), or the window is gone.
std::optional<PropertyItems> readProperty(Display* display, Window window, Atom property, Atom type,
                                          int format) {
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display, window, property, 0, 1 << 16, False, type, &actualType,
                                    &actualFormat, &count, &after, &data);
    PropertyItems items{std::unique_ptr<unsigned char, XFreeDeleter>(data), count};
    if (status != Success || !items.data || actualType != type || actualFormat != format) {
        return std::nullopt;
    }
    return items;
}

std::optional<unsigned long> firstLong(Display* display, Window window, const char* name,
                                       Atom type) {
    auto items = x11Longs(display, window, name, type);
    if (items.empty()) return std::nullopt;
    return items.front();
}

void setProperty(Display* display, Window window, Atom property, Atom type, int format,
                 const void* data, std::size_t count) {
    XChangeProperty(display, window, property, type, format, PropModeReplace,
                    static_cast<const unsigned char*>(data), static_cast<int>(count));
}

bool isOrdinary(Display* display, Window window) {
    for (auto state : x11Longs(display, window, "_NET_WM_STATE", XA_ATOM)) {
        if (state == x11Atom(display, "_NET_WM_STATE_SKIP_TASKBAR")) return false;
    }
    auto types = x11Longs(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM);
    // EWMH: a window without a type is a normal one.
    if (types.empty()) return true;
    return types.front() == x11Atom(display, "_NET_WM_WINDOW_TYPE_NORMAL") ||
           types.front() == x11Atom(display, "_NET_WM_WINDOW_TYPE_DIALOG");
}

}  // namespace

unsigned long x11Atom(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

std::vector<unsigned long> x11Longs(Display* display, unsigned long window, const char* name,
                                    unsigned long type) {
    if (!display || !window) return {};
    return x11Longs(display, window, x11Atom(display, name), type);
}

std::vector<unsigned long> x11Longs(Display* display, unsigned long window, unsigned long property,
                                    unsigned long type) {
    if (!display || !window) return {};
    auto items = readProperty(display, window, property, type, 32);
    if (!items) return {};
    // Format 32 arrives as longs, whatever their size.
    auto* values = reinterpret_cast<const unsigned long*>(items->data.get());
    return {values, values + items->count};
}

std::string x11Utf8Text(Display* display, unsigned long window, const char* name) {
    if (!display || !window) return {};
    auto items =
        readProperty(display, window, x11Atom(display, name), x11Atom(display, "UTF8_STRING"), 8);
    if (!items) return {};
    return std::string(reinterpret_cast<const char*>(items->data.get()), items->count);
}

void x11SetLongs(Display* display, unsigned long window, unsigned long property, unsigned long type,
                 const std::vector<unsigned long>& values) {
    setProperty(display, window, property, type, 32, values.data(), values.size());
}

void x11SetText(Display* display, unsigned long window, unsigned long property, unsigned long type,
                const std::string& text) {
    setProperty(display, window, property, type, 8, text.data(), text.size());
}

std::vector<unsigned long> x11Children(Display* display, unsigned long window) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return {};
    std::vector<unsigned long> windows(children, children + count);
    if (children) XFree(children);
    return windows;
}

X11ClassHint x11ClassHint(Display* display, unsigned long window) {
    X11ClassHint hint;
    XClassHint read{nullptr, nullptr};
    if (!XGetClassHint(display, window, &read)) return hint;
    if (read.res_name) {
        hint.instance = read.res_name;
        XFree(read.res_name);
    }
    if (read.res_class) {
        hint.windowClass = read.res_class;
        XFree(read.res_class);
    }
    return hint;
}

std::optional<unsigned long> x11WindowPid(Display* display, unsigned long window) {
    return firstLong(display, window, "_NET_WM_PID", XA_CARDINAL);
}

bool x11WindowManagerRunning(Display* display, unsigned long root) {
    auto check = firstLong(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (!check || !*check) return false;
    X11ErrorTrap trap(display);  // the check window goes with its manager
    auto own = firstLong(display, *check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return trap.sync() == 0 && own == check;
}

bool x11HasWindowType(Display* display, unsigned long window, const char* typeName) {
    auto types = x11Longs(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM);
    return std::find(types.begin(), types.end(), x11Atom(display, typeName)) != types.end();
}

std::vector<unsigned long> x11MappedDocks(Display* display, unsigned long root) {
    auto candidates = x11Longs(display, root, "_NET_CLIENT_LIST", XA_WINDOW);
    if (candidates.empty()) candidates = x11Children(display, root);
    std::vector<unsigned long> docks;
    for (unsigned long window : candidates) {
        // The type first: one request rules out nearly every window.
        if (!x11HasWindowType(display, window, "_NET_WM_WINDOW_TYPE_DOCK")) continue;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, window, &attributes) &&
            attributes.map_state == IsViewable) {
            docks.push_back(window);
        }
    }
    return docks;
}

std::optional<X11WindowOwner> x11WindowOwner(Display* display, unsigned long window) {
    if (!display || !window) return std::nullopt;
    X11ErrorTrap trap(display);
    X11WindowOwner owner;
    auto hint = x11ClassHint(display, window);
    owner.windowInstance = std::move(hint.instance);
    owner.windowClass = std::move(hint.windowClass);
    XWindowAttributes attributes{};
    bool exists = XGetWindowAttributes(display, window, &attributes);
    if (trap.sync() != 0 || !exists) return std::nullopt;
    if (auto pid = x11WindowPid(display, window); pid && *pid > 0 && *pid < 1u << 22) {
        owner.processIdentifier = static_cast<int>(*pid);
    }
    owner.ordinary = isOrdinary(display, window);
    if (trap.sync() != 0) return std::nullopt;
    return owner;
}

}  // namespace host
