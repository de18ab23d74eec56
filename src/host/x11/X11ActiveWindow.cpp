#include "host/x11/X11ActiveWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace host {
namespace {

Atom atom(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

// The 32-bit items of a property of type `type` (longs, as Xlib hands them
// over); empty when the window or the property is missing or of another type.
std::vector<unsigned long> longs(Display* display, Window window, const char* name, Atom type) {
    if (!display || !window) return {};
    X11ErrorTrap trap(display);
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display, window, atom(display, name), 0, 4096, False, type,
                                    &actualType, &format, &count, &after, &data);
    std::vector<unsigned long> items;
    if (status == Success && data && actualType == type && format == 32) {
        auto* values = reinterpret_cast<unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data) XFree(data);
    trap.sync();
    return items;
}

std::optional<unsigned long> firstLong(Display* display, Window window, const char* name,
                                       Atom type) {
    auto items = longs(display, window, name, type);
    if (items.empty()) return std::nullopt;
    return items.front();
}

bool isOrdinary(Display* display, Window window) {
    for (auto state : longs(display, window, "_NET_WM_STATE", XA_ATOM)) {
        if (state == atom(display, "_NET_WM_STATE_SKIP_TASKBAR")) return false;
    }
    auto types = longs(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM);
    // EWMH: a window without a type is a normal one.
    if (types.empty()) return true;
    return types.front() == atom(display, "_NET_WM_WINDOW_TYPE_NORMAL") ||
           types.front() == atom(display, "_NET_WM_WINDOW_TYPE_DIALOG");
}

}  // namespace

X11ActiveWindow::X11ActiveWindow(X11Connection& connection, ChangeHandler handler)
    : connection_(connection), handler_(std::move(handler)) {
    if (!connection_.available()) return;
    Display* display = connection_.display();
    Window root = connection_.rootWindow();
    // The connection is shared: keep what other facilities selected on the root.
    XWindowAttributes attributes{};
    long mask = XGetWindowAttributes(display, root, &attributes) ? attributes.your_event_mask : 0;
    XSelectInput(display, root, mask | PropertyChangeMask);
    listener_ = connection_.addEventListener([this](const XEvent& event) { listen(event); });
    lastActive_ = activeWindow();
    connection_.flush();
}

X11ActiveWindow::~X11ActiveWindow() {
    if (listener_) connection_.removeEventListener(listener_);
}

void X11ActiveWindow::listen(const XEvent& event) {
    if (event.type != PropertyNotify) return;
    const auto& change = event.xproperty;
    if (change.window != connection_.rootWindow()) return;
    Display* display = connection_.display();
    if (change.atom != atom(display, "_NET_ACTIVE_WINDOW") &&
        change.atom != atom(display, "_NET_SUPPORTING_WM_CHECK")) {
        return;
    }
    auto active = activeWindow();
    if (active == lastActive_) return;
    lastActive_ = active;
    if (handler_) handler_(active);
}

bool X11ActiveWindow::managerRunning() const {
    Display* display = connection_.display();
    auto check =
        firstLong(display, connection_.rootWindow(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (!check || !*check) return false;
    // The check window names itself while its manager lives.
    return firstLong(display, *check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW) == check;
}

unsigned long X11ActiveWindow::activeWindow() const {
    if (!connection_.available() || !managerRunning()) return 0;
    auto active =
        firstLong(connection_.display(), connection_.rootWindow(), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active.value_or(0);
}

std::vector<unsigned long> X11ActiveWindow::clientWindows() const {
    if (!connection_.available() || !managerRunning()) return {};
    return longs(connection_.display(), connection_.rootWindow(), "_NET_CLIENT_LIST", XA_WINDOW);
}

std::optional<X11WindowOwner> X11ActiveWindow::owner(unsigned long window) const {
    Display* display = connection_.display();
    if (!display || !window) return std::nullopt;
    X11WindowOwner owner;
    {
        X11ErrorTrap trap(display);
        XClassHint hint{};
        if (XGetClassHint(display, window, &hint)) {
            owner.windowInstance = hint.res_name ? hint.res_name : "";
            owner.windowClass = hint.res_class ? hint.res_class : "";
            if (hint.res_name) XFree(hint.res_name);
            if (hint.res_class) XFree(hint.res_class);
        }
        XWindowAttributes attributes{};
        bool exists = XGetWindowAttributes(display, window, &attributes);
        if (trap.sync() != 0 || !exists) return std::nullopt;
    }
    if (auto pid = firstLong(display, window, "_NET_WM_PID", XA_CARDINAL);
        pid && *pid > 0 && *pid < 1u << 22) {
        owner.processIdentifier = static_cast<int>(*pid);
    }
    owner.ordinary = isOrdinary(display, window);
    return owner;
}

}  // namespace host
