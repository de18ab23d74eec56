// Other applications for the workspace tests: idle processes, client windows
// that say who owns them, and a look at the front application from a process
// with its own desktop-entry folders.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <glib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "Commands.h"
#include "host/HostWorkspace.h"
#include "host/x11/X11Connection.h"

namespace {

void announce(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// workspace-idle: prints "ready" and waits for a signal.
helper::HelperCommand idleCommand("workspace-idle", [](const std::vector<std::string>&) {
    announce("ready");
    for (;;) pause();
    return 0;
});

// workspace-window CLASS INSTANCE: maps a window with this WM_CLASS and our
// _NET_WM_PID, prints "window <id>" and waits for a signal.
helper::HelperCommand windowCommand(
    "workspace-window", [](const std::vector<std::string>& arguments) {
        if (arguments.size() != 2) return 2;
        Display* display = XOpenDisplay(nullptr);
        if (!display) return 1;
        Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, 0, 0);
        std::string className = arguments[0], instance = arguments[1];
        XClassHint hint{instance.data(), className.data()};
        XSetClassHint(display, window, &hint);
        long pid = getpid();
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL,
                        32, PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
        XMapWindow(display, window);
        XSync(display, False);
        announce("window " + std::to_string(window));
        for (;;) pause();
        return 0;
    });

// workspace-front: prints "front <bundle id>|<name>|<location>" of the
// front application, or "front none".
helper::HelperCommand frontCommand("workspace-front", [](const std::vector<std::string>&) {
    host::X11Connection connection;
    if (!connection.available()) return 1;
    host::HostWorkspace workspace;
    workspace.attachDisplay(connection);
    auto front = workspace.frontmostApplication();
    if (!front) {
        announce("front none");
        return 0;
    }
    announce("front " + front->bundleIdentifier.value_or("-") + "|" +
             front->localizedName.value_or("-") + "|" + front->bundlePath.value_or("-"));
    return 0;
});

}  // namespace
