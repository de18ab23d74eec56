#pragma once

// The pop-up menus on screen and the grabs they hold. A menu hears every
// press while it is shown: presses outside it are how it learns to close. It
// takes the keys too, wherever the focus was, so typing chooses in the menu
// and Escape closes it, as in any desktop's menus.

#include <vector>

#include "host/x11/X11Connection.h"
#include "host/x11/X11Windows.h"

namespace host {

class X11PopUps {
public:
    explicit X11PopUps(X11Connection& connection);

    // The menu now shown takes the pointer and the keyboard.
    void shown(platform::NativeWindowId menu);
    // Hidden or gone: if it held the grabs, the menu shown before it takes
    // them, or they end with the last.
    void forget(platform::NativeWindowId menu);

    // In the order they appeared; the last holds the pointer.
    const std::vector<platform::NativeWindowId>& menus() const { return menus_; }

    // Whether a button press on `pressed`, one of our windows, closes the
    // menus: one that is in none of them.
    bool pressIsOutside(const XEvent& event, const X11Window& pressed) const;

private:
    void grabForLast();

    X11Connection& connection_;
    std::vector<platform::NativeWindowId> menus_;
};

}  // namespace host
