#pragma once

// The host's one connection to the X server, shared by every X11 facility and
// read on the GLib main loop.

namespace host {

class X11Connection {
public:
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // False when there is no display to talk to.
    bool available() const { return false; }
};

}  // namespace host
