#pragma once

// The host's one connection to the X server, shared by every X11 facility and
// read on the GLib main loop. Xlib stays out of this header: its macros (None,
// Bool, Status, ...) would leak into every file that includes it.

#include <cstdint>
#include <functional>
#include <map>
#include <string>

// Xlib's own declarations, repeated so this header needs no X11 include.
typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace host {

class X11Connection {
public:
    using EventListener = std::function<void(const XEvent&)>;
    using ListenerId = std::uint64_t;

    // Opens the display named by $DISPLAY.
    X11Connection();
    // Opens the named display.
    explicit X11Connection(const std::string& displayName);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // False when there is no display to talk to; then nothing else is done
    // and listeners are never called.
    bool available() const { return display_ != nullptr; }
    Display* display() const { return display_; }
    // The default screen's root window (an X window id), 0 without a display.
    unsigned long rootWindow() const;

    // Every event read from the server goes to every listener, in the order
    // they were added, on the main loop. A listener may add or remove
    // listeners, itself included.
    ListenerId addEventListener(EventListener listener);
    void removeEventListener(ListenerId id);

    // Asks for more of the root window's events, keeping what other
    // facilities of this shared connection asked for.
    void addRootEventMask(long mask);

    // Sends what Xlib has buffered, so the server sees requests made outside
    // an event dispatch at once.
    void flush();

private:
    struct EventSource;  // the GSource that reads the connection

    void open(const char* displayName);
    void dispatch(const XEvent& event);

    Display* display_ = nullptr;
    EventSource* source_ = nullptr;
    std::map<ListenerId, EventListener> listeners_;
    ListenerId nextListener_ = 1;
};

// Catches the X errors of the requests made on one display while it lives,
// instead of letting Xlib's handler end the process; errors of earlier
// requests and of other displays go where they went before. Traps nest.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    // Waits for what the trap caught but has not yet been answered.
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits until the server has handled every request made so far; answers
    // the code of the first error caught (BadAccess, BadValue, ...), 0 for
    // none.
    int sync();

private:
    struct Handler;  // what Xlib calls with each error

    Display* display_;
    unsigned long firstRequest_;
    int errorCode_ = 0;
    X11ErrorTrap* outer_;
};

}  // namespace host
