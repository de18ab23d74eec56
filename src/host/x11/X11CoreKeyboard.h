#pragma once

// The X server's core keyboard as xkbcommon sees it: the keymap the server
// uses and the group that is locked in (what layout switchers set), read
// through xkbcommon-x11 on the shared connection and followed through the
// server's XKB events.

#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "host/x11/X11Connection.h"

namespace host {

class X11CoreKeyboard {
public:
    using ChangeHandler = std::function<void()>;

    // `onChange` is called on the main loop after the server announced
    // another keymap or another locked group; keymap() and group() then
    // answer the new ones.
    X11CoreKeyboard(X11Connection& connection, xkb_context* context, ChangeHandler onChange);
    ~X11CoreKeyboard();
    X11CoreKeyboard(const X11CoreKeyboard&) = delete;
    X11CoreKeyboard& operator=(const X11CoreKeyboard&) = delete;

    // Null without a display, without XKB on it, or when the keymap could
    // not be read; then there are no calls either.
    xkb_keymap* keymap() const { return keymap_.get(); }
    xkb_layout_index_t group() const { return group_; }

private:
    struct KeymapDeleter {
        void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
    };

    bool startListening();
    bool readKeyboard();
    void handle(const XEvent& event);

    X11Connection& connection_;
    xkb_context* context_;
    ChangeHandler onChange_;
    std::int32_t deviceId_ = -1;
    int eventBase_ = -1;
    X11Connection::ListenerId listener_ = 0;
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap_;
    xkb_layout_index_t group_ = 0;
};

}  // namespace host
