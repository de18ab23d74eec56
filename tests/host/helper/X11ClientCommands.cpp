// Another application's windows, for tests of the window list and of the
// desktop-wide mouse monitor.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <string>

#include "Commands.h"

namespace {

Window createWindow(Display* display, int x, int y, int width, int height, bool overrideRedirect,
                    const char* className) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = overrideRedirect;
    attributes.event_mask = ButtonPressMask;
    Window window =
        XCreateWindow(display, DefaultRootWindow(display), x, y, width, height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
    XClassHint hint{const_cast<char*>("helper"), const_cast<char*>(className)};
    XSetClassHint(display, window, &hint);
    return window;
}

void setAtom(Display* display, Window window, const char* property, const char* value) {
    Atom item = XInternAtom(display, value, False);
    XChangeProperty(display, window, XInternAtom(display, property, False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&item), 1);
}

void setCardinal(Display* display, Window window, const char* property, unsigned long value) {
    XChangeProperty(display, window, XInternAtom(display, property, False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&value), 1);
}

// window-stack: maps, bottom to top, a dock-type bar along the whole top of
// the screen (24 px high, class TarnwickPanel), a half-opaque normal window
// at 300,300 sized 400x250 (class TarnwickHelper) and an override-redirect
// pop-up at 200,0 sized 150x20 over the bar (class TarnwickPopup); prints
// "ready <bar> <normal> <pop-up>" with the window ids, then "press <class>
// <button>" for each press its windows receive, until a signal ends it.
helper::HelperCommand windowStackCommand("window-stack", [](const std::vector<std::string>&) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    int width = DisplayWidth(display, DefaultScreen(display));
    Window bar = createWindow(display, 0, 0, width, 24, false, "TarnwickPanel");
    setAtom(display, bar, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DOCK");
    Window normal = createWindow(display, 300, 300, 400, 250, false, "TarnwickHelper");
    setCardinal(display, normal, "_NET_WM_WINDOW_OPACITY", 0x80000000UL);
    Window popUp = createWindow(display, 200, 0, 150, 20, true, "TarnwickPopup");
    for (Window window : {bar, normal, popUp}) XMapWindow(display, window);
    XSync(display, False);
    std::printf("ready %lu %lu %lu\n", bar, normal, popUp);
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != ButtonPress) continue;
        XClassHint hint{};
        if (!XGetClassHint(display, event.xbutton.window, &hint)) continue;
        std::printf("press %s %u\n", hint.res_class, event.xbutton.button);
        std::fflush(stdout);
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
});

// ordinary-window: maps an ordinary window titled TarnwickHelper at 400,400,
// as any program would, for a task list to show; prints "ready".
helper::HelperCommand ordinaryWindowCommand("ordinary-window", [](const std::vector<std::string>&) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    Window window = createWindow(display, 400, 400, 300, 200, false, "TarnwickHelper");
    XStoreName(display, window, "TarnwickHelper");
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
    }
});

}  // namespace
