// A stand-in for the window manager: what it tells other clients through
// the root window's properties.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "Commands.h"

namespace {

void setWindows(Display* display, Window window, const char* name, Window value) {
    XChangeProperty(display, window, XInternAtom(display, name, False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
}

// window-manager: announces a window manager as EWMH does (the check window
// lives as long as this process), prints "ready", waits for a signal.
helper::HelperCommand windowManagerCommand("window-manager", [](const std::vector<std::string>&) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    Window root = DefaultRootWindow(display);
    Window check = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    setWindows(display, check, "_NET_SUPPORTING_WM_CHECK", check);
    setWindows(display, root, "_NET_SUPPORTING_WM_CHECK", check);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) pause();
});

// activate WINDOW: makes the window the active one, as the window manager
// does when a person brings it forward.
helper::HelperCommand activateCommand("activate", [](const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return 2;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    setWindows(display, DefaultRootWindow(display), "_NET_ACTIVE_WINDOW", std::stoul(arguments[0]));
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
});

}  // namespace
