#pragma once

// The X server's input events on our windows as the toolkit's window events:
// presses with their click counts, releases, pointer motion, keys with what
// they type, and modifier keys as changes of the modifier flags. It keeps what
// that takes of earlier events: the last press, and which keys are down.

#include <map>
#include <optional>
#include <set>

#include "host/x11/X11Connection.h"
#include "platform/WindowServer.h"

namespace host {

// Buttons 1 to 3; the others are wheels, which the toolkit does not hear.
bool x11IsClickButton(unsigned button);

// Whether a focus change (FocusIn or FocusOut) moves the key window.
bool x11IsAnnouncedFocusChange(const XEvent& event);

class X11EventTranslation {
public:
    // The last button press, for counting clicks.
    struct Press {
        platform::NativeWindowId window = 0;
        unsigned button = 0;
        unsigned long time = 0;
        int x = 0, y = 0;
        int count = 0;
    };

    // Asks the server to repeat a held key's press without releases in
    // between, when there is a display.
    explicit X11EventTranslation(X11Connection& connection);

    // A press of a click button, counted as one more click when it follows
    // the last one closely.
    platform::WindowEvents::MouseDown mouseDown(const XEvent& event);
    // A release of a click button.
    platform::WindowEvents::MouseUp mouseUp(const XEvent& event);
    platform::WindowEvents::MouseMoved mouseMoved(const XEvent& event);
    // A key's press or release; absent for keys the keyboards we model lack.
    std::optional<platform::WindowEvent> key(const XEvent& event);

    const Press& lastPress() const { return lastPress_; }
    // The window has gone: its presses count no more.
    void forgetWindow(platform::NativeWindowId window);
    // Our window lost the focus: the releases of the keys held go to
    // whoever has it now.
    void forgetHeldKeys();

private:
    std::optional<platform::WindowEvent> modifierKey(const XEvent& event, unsigned mask);
    unsigned stateAfterModifierKey(const XEvent& event, unsigned mask);
    int clickCount(const XEvent& event);

    X11Connection& connection_;
    Press lastPress_;
    // Keys that are down: with detectable auto-repeat a repeat is a second
    // press without a release.
    std::set<unsigned> heldKeys_;
    // Modifier keys that are down, with their X modifier masks: releasing one
    // Shift leaves the state shifted while the other is held.
    std::map<unsigned, unsigned> heldModifierKeys_;
    // Whether Caps Lock was locked when its key went down; the lock then comes
    // off as the key goes up.
    bool capsLockedAtPress_ = false;
};

}  // namespace host
