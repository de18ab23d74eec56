#include "host/x11/X11PopUps.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace host {

using platform::NativeWindowId;

X11PopUps::X11PopUps(X11Connection& connection) : connection_(connection) {}

void X11PopUps::shown(NativeWindowId menu) {
    std::erase(menus_, menu);
    menus_.push_back(menu);
    grabForLast();
}

void X11PopUps::forget(NativeWindowId menu) {
    auto found = std::find(menus_.begin(), menus_.end(), menu);
    if (found == menus_.end()) return;
    bool heldPointer = found + 1 == menus_.end();
    menus_.erase(found);
    if (heldPointer) grabForLast();
}

// While a menu holds the pointer, presses come to it wherever they are, or
// to whichever of our windows they are in; a press in any shown menu is in.
bool X11PopUps::pressIsOutside(const XEvent& event, const X11Window& pressed) const {
    if (menus_.empty()) return false;
    const XButtonEvent& press = event.xbutton;
    if (std::find(menus_.begin(), menus_.end(), press.window) == menus_.end()) return true;
    X11PixelRect rect = x11PixelRect(pressed.frame);
    return press.x < 0 || press.y < 0 || press.x >= static_cast<int>(rect.width) ||
           press.y >= static_cast<int>(rect.height);
}

void X11PopUps::grabForLast() {
    Display* display = connection_.display();
    if (menus_.empty()) {
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
        return;
    }
    // Someone else's grab is not waited for: the menu then hears only
    // presses inside it.
    Window menu = xWindow(menus_.back());
    XGrabPointer(display, menu, True, x11PointerEvents, GrabModeAsync, GrabModeAsync, None, None,
                 CurrentTime);
    XGrabKeyboard(display, menu, True, GrabModeAsync, GrabModeAsync, CurrentTime);
}

}  // namespace host
