// Another X client, for tests that need someone else to hold a key.

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "Commands.h"

namespace {

// hold-key KEYSYM MASK: grabs the key typing KEYSYM (e.g. "m") with the X
// modifier mask MASK (e.g. 76 for Control+Alt+Super) on the root window,
// prints "ready" and keeps it until a signal ends the process (the server
// drops a client's grabs when it goes).
helper::HelperCommand holdKeyCommand("hold-key", [](const std::vector<std::string>& arguments) {
    if (arguments.size() != 2) return 2;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    KeyCode code = XKeysymToKeycode(display, XStringToKeysym(arguments[0].c_str()));
    unsigned modifiers = static_cast<unsigned>(std::stoul(arguments[1]));
    XGrabKey(display, code, modifiers, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) pause();
});

}  // namespace
