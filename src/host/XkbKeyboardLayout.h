#pragma once

// The keyboard layout of a Linux desktop, through an xkbcommon keymap.

#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/KeyboardLayout.h"

namespace host {

// The five names an XKB keymap is made from; empty means xkbcommon's default.
struct XkbLayoutNames {
    std::string rules;
    std::string model;
    std::string layout;
    std::string variant;
    std::string options;

    bool operator==(const XkbLayoutNames&) const = default;
};

// The settings of a Debian-style /etc/default/keyboard (shell assignments
// XKBMODEL, XKBLAYOUT, XKBVARIANT, XKBOPTIONS). Absent when no layout is set.
std::optional<XkbLayoutNames> parseKeyboardDefaults(std::string_view text);

// The desktop's layout: the XKB_DEFAULT_* environment when it names a layout,
// else the keyboard defaults file, else "us".
XkbLayoutNames desktopLayoutNames(
    const std::string& keyboardDefaultsPath = "/etc/default/keyboard");

class X11Connection;
class X11CoreKeyboard;

class XkbKeyboardLayout : public platform::KeyboardLayout {
public:
    // The keyboard of the connection's X server, followed as it changes;
    // when the server's keymap cannot be had (no display, no XKB on it), the
    // desktop's layout.
    explicit XkbKeyboardLayout(X11Connection& connection);
    // This layout, for good.
    explicit XkbKeyboardLayout(const XkbLayoutNames& names);
    ~XkbKeyboardLayout() override;
    XkbKeyboardLayout(const XkbKeyboardLayout&) = delete;
    XkbKeyboardLayout& operator=(const XkbKeyboardLayout&) = delete;

    std::optional<std::string> characters(std::uint16_t keyCode) override;
    void setChangeHandler(ChangeHandler handler) override;

    // The name of the group keys are read from, e.g. "English (US)"; empty
    // when not even the US layout could be compiled.
    std::string groupName() const;

private:
    struct Deleter {
        void operator()(xkb_context* context) const { xkb_context_unref(context); }
        void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
        void operator()(xkb_state* state) const { xkb_state_unref(state); }
    };
    using KeymapPointer = std::unique_ptr<xkb_keymap, Deleter>;

    // Keys are read from `group` of `keymap`. With no group (a keymap that
    // did not compile, or whose groups type no ASCII letters), from the US
    // layout.
    void use(KeymapPointer keymap, std::optional<xkb_layout_index_t> group);
    void useNames(const XkbLayoutNames& names);
    std::optional<xkb_layout_index_t> groupToRead(xkb_keymap* keymap,
                                                  xkb_layout_index_t active) const;
    void serverKeyboardChanged();

    std::unique_ptr<xkb_context, Deleter> context_;
    KeymapPointer keymap_;
    std::unique_ptr<xkb_state, Deleter> state_;
    xkb_layout_index_t group_ = 0;
    std::unique_ptr<X11CoreKeyboard> serverKeyboard_;
    ChangeHandler changeHandler_;
};

}  // namespace host
