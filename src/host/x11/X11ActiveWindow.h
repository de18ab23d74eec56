#pragma once

// The window in front as an EWMH window manager announces it: the root's
// _NET_ACTIVE_WINDOW, its client list, and what a client window says about
// its owner.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/x11/X11Connection.h"
#include "host/x11/X11Properties.h"

namespace host {

class X11ActiveWindow {
public:
    // Told on the main loop with the new active window (0 for none) each
    // time the window manager changes it.
    using ChangeHandler = std::function<void(unsigned long window)>;

    X11ActiveWindow(X11Connection& connection, ChangeHandler handler);
    ~X11ActiveWindow();
    X11ActiveWindow(const X11ActiveWindow&) = delete;
    X11ActiveWindow& operator=(const X11ActiveWindow&) = delete;

    // 0 when there is none, or no EWMH window manager runs: a property left
    // behind by one that has gone says nothing.
    unsigned long activeWindow() const;
    // _NET_CLIENT_LIST, oldest first; empty without a window manager.
    std::vector<unsigned long> clientWindows() const;
    // Absent when the window is gone.
    std::optional<X11WindowOwner> owner(unsigned long window) const;

private:
    void listen(const XEvent& event);
    bool managerRunning() const;

    X11Connection& connection_;
    ChangeHandler handler_;
    X11Connection::ListenerId listener_ = 0;
    unsigned long lastActive_ = 0;
};

}  // namespace host
