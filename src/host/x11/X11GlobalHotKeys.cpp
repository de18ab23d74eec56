#include "host/x11/X11GlobalHotKeys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "host/VirtualKeyCodes.h"
#include "host/x11/X11Modifiers.h"

namespace host {
namespace {

using platform::HotKeyIdentifier;
namespace HotKeyStatus = platform::HotKeyStatus;

// A key event's state also carries pointer buttons and the layout group.
constexpr unsigned keyboardModifiers =
    ShiftMask | LockMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;

std::optional<unsigned> xKeyCode(Display* display, std::uint32_t virtualKeyCode) {
    if (virtualKeyCode > 0xFFFF) return std::nullopt;
    auto key = xkbKeyCode(static_cast<std::uint16_t>(virtualKeyCode));
    if (!key) return std::nullopt;
    int lowest = 0, highest = 0;
    XDisplayKeycodes(display, &lowest, &highest);
    if (*key < static_cast<unsigned>(lowest) || *key > static_cast<unsigned>(highest)) {
        return std::nullopt;
    }
    return *key;
}

// The modifier bit among the eight that `key` sets, 0 for none.
unsigned modifierOf(const XModifierKeymap& map, KeyCode key) {
    for (int modifier = 0; modifier < 8; ++modifier) {
        const KeyCode* keys = map.modifiermap + modifier * map.max_keypermod;
        if (std::find(keys, keys + map.max_keypermod, key) != keys + map.max_keypermod) {
            return 1u << modifier;
        }
    }
    return 0;
}

// Usually Mod2, but the keyboard map decides; 0 when nothing is Num Lock.
unsigned numLockMask(Display* display) {
    KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    if (!numLock) return 0;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map) return 0;
    unsigned mask = modifierOf(*map, numLock);
    XFreeModifiermap(map);
    return mask;
}

std::vector<unsigned> lockVariants(unsigned modifiers, unsigned numLockMask) {
    std::vector<unsigned> variants;
    for (unsigned locks : {0u, unsigned{LockMask}, numLockMask, LockMask | numLockMask}) {
        unsigned variant = modifiers | locks;
        if (std::find(variants.begin(), variants.end(), variant) == variants.end()) {
            variants.push_back(variant);
        }
    }
    return variants;
}

}  // namespace

X11GlobalHotKeys::X11GlobalHotKeys(X11Connection& connection) : connection_(connection) {
    if (!connection_.available()) return;
    // Then a held key repeats its press without a release in between, which
    // tells a repeat from a new press.
    XkbSetDetectableAutoRepeat(connection_.display(), True, nullptr);
    listener_ = connection_.addEventListener([this](const XEvent& event) { onEvent(event); });
}

X11GlobalHotKeys::~X11GlobalHotKeys() {
    if (!connection_.available()) return;
    connection_.removeEventListener(listener_);
    for (const auto& [hotKey, registration] : registrations_) ungrab(registration);
}

auto X11GlobalHotKeys::installHandler(Handler handler) -> Result<platform::HotKeyHandlerRef> {
    handlers_.emplace(nextHandler_, std::move(handler));
    return nextHandler_++;
}

void X11GlobalHotKeys::removeHandler(platform::HotKeyHandlerRef handler) {
    handlers_.erase(handler);
}

auto X11GlobalHotKeys::registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                      HotKeyIdentifier identifier) -> Result<platform::HotKeyRef> {
    Display* display = connection_.display();
    if (!display) return noDisplayErr;
    auto xKey = xKeyCode(display, keyCode);
    if (!xKey) return paramErr;
    Registration registration{*xKey, x11ModifiersOfCarbon(carbonModifiers), numLockMask(display),
                              identifier};
    // X lets a client grab again what it holds; registration is exclusive all the same.
    if (registeredAlready(registration)) return HotKeyStatus::eventHotKeyExistsErr;
    if (int error = grab(registration)) {
        // Ungrabbing what someone else holds does nothing, so this lets go
        // of exactly the variants that were ours.
        ungrab(registration);
        return error == BadAccess ? HotKeyStatus::eventHotKeyExistsErr : -error;
    }
    registrations_.emplace(nextHotKey_, registration);
    return nextHotKey_++;
}

void X11GlobalHotKeys::unregisterHotKey(platform::HotKeyRef hotKey) {
    auto found = registrations_.find(hotKey);
    if (found == registrations_.end()) return;
    ungrab(found->second);
    registrations_.erase(found);
}

// Answers the first X error, 0 when every variant was grabbed.
int X11GlobalHotKeys::grab(const Registration& registration) {
    Display* display = connection_.display();
    X11ErrorTrap trap(display);
    for (unsigned modifiers : lockVariants(registration.modifiers, registration.numLockMask)) {
        XGrabKey(display, static_cast<int>(registration.keyCode), modifiers,
                 connection_.rootWindow(), False, GrabModeAsync, GrabModeAsync);
    }
    return trap.sync();
}

// Waits for the server, so the combination is free for others on return.
void X11GlobalHotKeys::ungrab(const Registration& registration) {
    Display* display = connection_.display();
    for (unsigned modifiers : lockVariants(registration.modifiers, registration.numLockMask)) {
        XUngrabKey(display, static_cast<int>(registration.keyCode), modifiers,
                   connection_.rootWindow());
    }
    XSync(display, False);
}

bool X11GlobalHotKeys::registeredAlready(const Registration& candidate) const {
    return std::any_of(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
        return entry.second.keyCode == candidate.keyCode &&
               entry.second.modifiers == candidate.modifiers;
    });
}

void X11GlobalHotKeys::onEvent(const XEvent& event) {
    if (event.type != KeyPress && event.type != KeyRelease) return;
    // Key events of our own windows are theirs.
    if (event.xkey.window != connection_.rootWindow()) return;
    if (event.type == KeyRelease) {
        heldKeys_.erase(event.xkey.keycode);
        return;
    }
    onKeyPress(event.xkey.keycode, event.xkey.state);
}

void X11GlobalHotKeys::onKeyPress(unsigned keyCode, unsigned state) {
    for (const auto& [hotKey, registration] : registrations_) {
        unsigned locks = LockMask | registration.numLockMask;
        if (registration.keyCode != keyCode) continue;
        if ((state & keyboardModifiers & ~locks) != registration.modifiers) continue;
        if (!heldKeys_.insert(keyCode).second) return;  // a repeat
        // Handlers may unregister, so nothing here is touched after delivering.
        deliver(registration.identifier);
        return;
    }
}

void X11GlobalHotKeys::deliver(HotKeyIdentifier identifier) {
    std::vector<platform::HotKeyHandlerRef> order;
    for (const auto& [ref, handler] : handlers_) order.push_back(ref);
    for (platform::HotKeyHandlerRef ref : order) {
        auto found = handlers_.find(ref);
        if (found == handlers_.end()) continue;  // removed by an earlier handler
        // A copy: the handler may remove itself while it runs.
        Handler handler = found->second;
        if (handler(identifier) != HotKeyStatus::eventNotHandledErr) return;
    }
}

}  // namespace host
