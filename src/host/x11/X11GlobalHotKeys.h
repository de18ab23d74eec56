#pragma once

// Global hot keys as passive key grabs on the root window. X matches a grab's
// modifiers exactly, so each combination is grabbed four times: alone and with
// Num Lock, Caps Lock and both, and a press works whatever locks are on.

#include <map>
#include <set>

#include "host/x11/X11Connection.h"
#include "platform/GlobalHotKeys.h"

namespace host {

class X11GlobalHotKeys : public platform::GlobalHotKeys {
public:
    // What registerHotKey answers besides a handle and eventHotKeyExistsErr
    // (which also covers a combination this program already registered):
    // there is no X display to grab keys on;
    static constexpr std::int32_t noDisplayErr = -1;
    // the virtual key code has no key on this keyboard (the classic
    // parameter error);
    static constexpr std::int32_t paramErr = -50;
    // any other X error answers minus its X error code. XGrabKey can only
    // fail with BadAccess (10, answered as eventHotKeyExistsErr), BadValue (2)
    // and BadWindow (3), so these never meet the two values above.

    explicit X11GlobalHotKeys(X11Connection& connection);
    ~X11GlobalHotKeys() override;
    X11GlobalHotKeys(const X11GlobalHotKeys&) = delete;
    X11GlobalHotKeys& operator=(const X11GlobalHotKeys&) = delete;

    // Without a display handlers are still taken; presses just never come.
    Result<platform::HotKeyHandlerRef> installHandler(Handler handler) override;
    void removeHandler(platform::HotKeyHandlerRef handler) override;

    Result<platform::HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                               platform::HotKeyIdentifier identifier) override;
    void unregisterHotKey(platform::HotKeyRef hotKey) override;

private:
    struct Registration {
        unsigned keyCode = 0;    // X key code
        unsigned modifiers = 0;  // X modifier mask, without locks
        unsigned numLockMask = 0;
        platform::HotKeyIdentifier identifier;
    };

    int grab(const Registration& registration);
    void ungrab(const Registration& registration);
    bool registeredAlready(const Registration& candidate) const;
    void onEvent(const XEvent& event);
    void onKeyPress(unsigned keyCode, unsigned state);
    void deliver(platform::HotKeyIdentifier identifier);

    X11Connection& connection_;
    X11Connection::ListenerId listener_ = 0;
    std::map<platform::HotKeyHandlerRef, Handler> handlers_;  // in installation order
    platform::HotKeyHandlerRef nextHandler_ = 1;
    std::map<platform::HotKeyRef, Registration> registrations_;
    platform::HotKeyRef nextHotKey_ = 1;
    // Keys of ours that are down: X repeats the press while a key is held,
    // and a held shortcut fires once.
    std::set<unsigned> heldKeys_;
};

}  // namespace host
