#include "host/x11/X11ActiveWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "host/x11/X11Properties.h"

namespace host {
namespace {

// Reads of the root window, each with its own trap: a window manager may
// leave at any time.
std::vector<unsigned long> longs(Display* display, Window window, const char* name, Atom type) {
    if (!display || !window) return {};
    X11ErrorTrap trap(display);
    auto items = x11Longs(display, window, name, type);
    if (trap.sync() != 0) return {};
    return items;
}

}  // namespace

X11ActiveWindow::X11ActiveWindow(X11Connection& connection, ChangeHandler handler)
    : connection_(connection), handler_(std::move(handler)) {
    if (!connection_.available()) return;
    connection_.addRootEventMask(PropertyChangeMask);
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
    if (change.atom != x11Atom(display, "_NET_ACTIVE_WINDOW") &&
        change.atom != x11Atom(display, "_NET_SUPPORTING_WM_CHECK")) {
        return;
    }
    auto active = activeWindow();
    if (active == lastActive_) return;
    lastActive_ = active;
    if (handler_) handler_(active);
}

bool X11ActiveWindow::managerRunning() const {
    return x11WindowManagerRunning(connection_.display(), connection_.rootWindow());
}

unsigned long X11ActiveWindow::activeWindow() const {
    if (!connection_.available() || !managerRunning()) return 0;
    auto active =
        longs(connection_.display(), connection_.rootWindow(), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active.empty() ? 0 : active.front();
}

std::vector<unsigned long> X11ActiveWindow::clientWindows() const {
    if (!connection_.available() || !managerRunning()) return {};
    return longs(connection_.display(), connection_.rootWindow(), "_NET_CLIENT_LIST", XA_WINDOW);
}

std::optional<X11WindowOwner> X11ActiveWindow::owner(unsigned long window) const {
    return x11WindowOwner(connection_.display(), window);
}

}  // namespace host
