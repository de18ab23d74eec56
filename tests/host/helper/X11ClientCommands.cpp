// Another application's windows, for tests of the window list and of the
// desktop-wide mouse monitor.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

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

// tray-icon: another program's tray icon of the older kind, a 22x22 red
// window named TarnwickTrayIcon that asks the tray (_NET_SYSTEM_TRAY_S0) to
// embed it; prints "docked <x> <y>" with its root position whenever the tray
// maps or moves it.
helper::HelperCommand trayIconCommand("tray-icon", [](const std::vector<std::string>&) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    Window icon = createWindow(display, 0, 0, 22, 22, false, "TarnwickTrayIcon");
    XStoreName(display, icon, "TarnwickTrayIcon");
    // Trays size their sockets from the icon's minimum size.
    XSizeHints hints{};
    hints.flags = PMinSize;
    hints.min_width = hints.min_height = 22;
    XSetWMNormalHints(display, icon, &hints);
    XSetWindowBackground(display, icon, 0xff0000);
    XSelectInput(display, icon, StructureNotifyMask);
    Atom embedInfo = XInternAtom(display, "_XEMBED_INFO", False);
    unsigned long info[2] = {0, 1};  // version 0, mapped
    XChangeProperty(display, icon, embedInfo, embedInfo, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(info), 2);
    Window tray = None;
    for (int attempt = 0; attempt < 100 && tray == None; ++attempt) {
        tray = XGetSelectionOwner(display, XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False));
        if (tray == None) usleep(50000);
    }
    if (tray == None) return 2;
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = tray;
    request.xclient.message_type = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
    request.xclient.format = 32;
    request.xclient.data.l[0] = CurrentTime;
    request.xclient.data.l[1] = 0;  // SYSTEM_TRAY_REQUEST_DOCK
    request.xclient.data.l[2] = static_cast<long>(icon);
    XSendEvent(display, tray, False, NoEventMask, &request);
    XSync(display, False);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, icon, &attributes) || attributes.map_state != IsViewable)
            continue;
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display, icon, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        std::printf("docked %d %d\n", x, y);
        std::fflush(stdout);
    }
});

}  // namespace
