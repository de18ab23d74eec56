#pragma once

// Reading and writing the properties clients put on their windows (EWMH,
// ICCCM). Callers catch the errors of windows that have gone (X11ErrorTrap).

#include <optional>
#include <string>
#include <vector>

#include "host/x11/X11Connection.h"

namespace host {

unsigned long x11Atom(Display* display, const char* name);

// The 32-bit items of a property of type `type` (longs, as Xlib hands them
// over); empty when the window lacks it or it has another type.
std::vector<unsigned long> x11Longs(Display* display, unsigned long window, const char* name,
                                    unsigned long type);
// The same for a property whose atom is already known.
std::vector<unsigned long> x11Longs(Display* display, unsigned long window, unsigned long property,
                                    unsigned long type);
// A UTF8_STRING property, e.g. _NET_WM_NAME; empty when the window lacks it
// or it has another type.
std::string x11Utf8Text(Display* display, unsigned long window, const char* name);

// Replace a property with 32-bit items: longs on the client side, whatever
// their size on the wire.
void x11SetLongs(Display* display, unsigned long window, unsigned long property, unsigned long type,
                 const std::vector<unsigned long>& values);
// Replace a property with 8-bit text.
void x11SetText(Display* display, unsigned long window, unsigned long property, unsigned long type,
                const std::string& text);

// The window's children, bottom to top; empty when it is gone.
std::vector<unsigned long> x11Children(Display* display, unsigned long window);

// WM_CLASS: instance and class, each empty when unset.
struct X11ClassHint {
    std::string instance;     // e.g. "Navigator"
    std::string windowClass;  // e.g. "Firefox"
};
X11ClassHint x11ClassHint(Display* display, unsigned long window);

// _NET_WM_PID as the window states it, unchecked; absent when it does not.
std::optional<unsigned long> x11WindowPid(Display* display, unsigned long window);

// Whether an EWMH window manager runs: one that has gone leaves its
// properties on the root behind, but not its check window, which names
// itself while its manager lives. Catches its own errors.
bool x11WindowManagerRunning(Display* display, unsigned long root);

// True when _NET_WM_WINDOW_TYPE names `typeName`, e.g. "_NET_WM_WINDOW_TYPE_DOCK".
bool x11HasWindowType(Display* display, unsigned long window, const char* typeName);

// The dock windows (panels) that are mapped: the window manager's clients
// when one runs, else the root's children.
std::vector<unsigned long> x11MappedDocks(Display* display, unsigned long root);

// What a client window tells about the application that owns it.
struct X11WindowOwner {
    std::optional<int> processIdentifier;  // _NET_WM_PID
    std::string windowClass;               // WM_CLASS: the class, e.g. "Firefox"
    std::string windowInstance;            // WM_CLASS: the instance, e.g. "Navigator"
    // A normal or dialog window that does not skip the task bar: what a
    // person switches to.
    bool ordinary = true;
};

// Absent when the window is gone. Catches its own errors.
std::optional<X11WindowOwner> x11WindowOwner(Display* display, unsigned long window);

}  // namespace host
