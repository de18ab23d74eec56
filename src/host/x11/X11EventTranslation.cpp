#include "host/x11/X11EventTranslation.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/VirtualKeyCodes.h"
#include "host/x11/X11Modifiers.h"

namespace host {

using platform::NativeWindowId;
using platform::WindowEvent;
namespace WindowEvents = platform::WindowEvents;

namespace {

// Two presses of one button this close in time and place count as one more click.
constexpr std::uint32_t multipleClickMilliseconds = 400;
constexpr int multipleClickPixels = 4;

std::uint64_t modifierFlags(unsigned state) {
    return x11ModifierFlags(state, CapsLock::reported);
}

// The X modifier a modifier key sets, 0 for other keys.
unsigned modifierKeyMask(KeySym keysym) {
    switch (keysym) {
        case XK_Shift_L:
        case XK_Shift_R:
            return ShiftMask;
        case XK_Control_L:
        case XK_Control_R:
            return ControlMask;
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R:
            return Mod1Mask;
        case XK_Super_L:
        case XK_Super_R:
            return Mod4Mask;
        case XK_Caps_Lock:
            return LockMask;
        // Right Alt where it picks the third level: a modifier key, though not one of ours.
        case XK_ISO_Level3_Shift:
            return Mod5Mask;
        default:
            return 0;
    }
}

std::string keysymText(KeySym keysym) {
    char buffer[8];  // one character and a terminating NUL
    int size = xkb_keysym_to_utf8(static_cast<xkb_keysym_t>(keysym), buffer, sizeof buffer);
    return size > 1 ? std::string(buffer, static_cast<std::size_t>(size - 1)) : std::string();
}

// XLookupString applies Shift, Caps Lock and Control as X defines them, but
// answers in the locale's encoding: its ASCII is the same in all of them, and
// anything else is read from the key symbol it chose.
std::string typedText(XKeyEvent key) {
    char bytes[16];
    KeySym keysym = NoSymbol;
    int count = XLookupString(&key, bytes, sizeof bytes, &keysym, nullptr);
    bool ascii = count > 0 && std::all_of(bytes, bytes + count, [](char byte) {
                     return static_cast<unsigned char>(byte) < 0x80;
                 });
    if (ascii) return std::string(bytes, static_cast<std::size_t>(count));
    return keysymText(keysym);
}

}  // namespace

bool x11IsClickButton(unsigned button) {
    return button >= Button1 && button <= Button3;
}

bool x11IsAnnouncedFocusChange(const XEvent& event) {
    const XFocusChangeEvent& change = event.xfocus;
    // Grabs move the keyboard only for a while; focus that follows the
    // pointer, or moves between a window and its parts, is not a change of
    // the key window.
    if (change.mode == NotifyGrab || change.mode == NotifyUngrab) return false;
    return change.detail != NotifyInferior && change.detail != NotifyPointer &&
           change.detail != NotifyPointerRoot && change.detail != NotifyDetailNone;
}

X11EventTranslation::X11EventTranslation(X11Connection& connection) : connection_(connection) {
    Display* display = connection_.display();
    if (!display) return;
    XkbSetDetectableAutoRepeat(display, True, nullptr);
}

WindowEvents::MouseDown X11EventTranslation::mouseDown(const XEvent& event) {
    const XButtonEvent& press = event.xbutton;
    return {static_cast<double>(press.x), static_cast<double>(press.y),
            static_cast<int>(press.button), clickCount(event), modifierFlags(press.state)};
}

int X11EventTranslation::clickCount(const XEvent& event) {
    const XButtonEvent& press = event.xbutton;
    NativeWindowId window = press.window;
    // The server's clock is 32 bits of milliseconds and wraps.
    auto elapsed = static_cast<std::uint32_t>(press.time - lastPress_.time);
    bool again = lastPress_.window == window && lastPress_.button == press.button &&
                 elapsed <= multipleClickMilliseconds &&
                 std::abs(press.x - lastPress_.x) <= multipleClickPixels &&
                 std::abs(press.y - lastPress_.y) <= multipleClickPixels;
    lastPress_ = {window,  press.button, press.time,
                  press.x, press.y,      again ? lastPress_.count + 1 : 1};
    return lastPress_.count;
}

WindowEvents::MouseUp X11EventTranslation::mouseUp(const XEvent& event) {
    const XButtonEvent& release = event.xbutton;
    return {static_cast<double>(release.x), static_cast<double>(release.y),
            static_cast<int>(release.button), modifierFlags(release.state)};
}

WindowEvents::MouseMoved X11EventTranslation::mouseMoved(const XEvent& event) {
    const XMotionEvent& motion = event.xmotion;
    bool buttonDown = motion.state & (Button1Mask | Button2Mask | Button3Mask);
    return {static_cast<double>(motion.x), static_cast<double>(motion.y), buttonDown,
            modifierFlags(motion.state)};
}

std::optional<WindowEvent> X11EventTranslation::key(const XEvent& event) {
    const XKeyEvent& key = event.xkey;
    KeySym unmodified = XkbKeycodeToKeysym(connection_.display(), static_cast<KeyCode>(key.keycode),
                                           XkbGroupForCoreState(key.state), 0);
    if (unsigned mask = modifierKeyMask(unmodified)) return modifierKey(event, mask);
    auto keyCode = virtualKeyCode(key.keycode);
    if (!keyCode) return std::nullopt;  // no key on the keyboards we model
    std::uint64_t modifiers = modifierFlags(key.state);
    if (event.type == KeyRelease) {
        heldKeys_.erase(key.keycode);
        return WindowEvents::KeyUp{*keyCode, modifiers};
    }
    bool isRepeat = !heldKeys_.insert(key.keycode).second;
    return WindowEvents::KeyDown{*keyCode, typedText(key), keysymText(unmodified), modifiers,
                                 isRepeat};
}

std::optional<WindowEvent> X11EventTranslation::modifierKey(const XEvent& event, unsigned mask) {
    unsigned state = stateAfterModifierKey(event, mask);
    auto keyCode = virtualKeyCode(event.xkey.keycode);
    if (!keyCode) return std::nullopt;
    return WindowEvents::FlagsChanged{*keyCode, modifierFlags(state)};
}

// X reports the state before the key; the toolkit wants the one after it.
unsigned X11EventTranslation::stateAfterModifierKey(const XEvent& event, unsigned mask) {
    const XKeyEvent& key = event.xkey;
    unsigned state = key.state;
    if (event.type == KeyPress) {
        heldModifierKeys_[key.keycode] = mask;
        if (mask == LockMask) capsLockedAtPress_ = state & LockMask;
        return state | mask;
    }
    heldModifierKeys_.erase(key.keycode);
    // The lock goes on as its key goes down, and off as it comes up.
    if (mask == LockMask) return capsLockedAtPress_ ? state & ~LockMask : state | LockMask;
    bool stillHeld = std::any_of(heldModifierKeys_.begin(), heldModifierKeys_.end(),
                                 [mask](const auto& held) { return held.second == mask; });
    return stillHeld ? state : state & ~mask;
}

void X11EventTranslation::forgetWindow(NativeWindowId window) {
    if (lastPress_.window == window) lastPress_ = {};
}

void X11EventTranslation::forgetHeldKeys() {
    heldKeys_.clear();
    heldModifierKeys_.clear();
}

}  // namespace host
