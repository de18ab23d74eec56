#include "host/x11/X11CoreKeyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib-xcb.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <utility>

namespace host {
namespace {

constexpr unsigned long keymapEvents = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;

struct StateDeleter {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};

}  // namespace

X11CoreKeyboard::X11CoreKeyboard(X11Connection& connection, xkb_context* context,
                                 ChangeHandler onChange)
    : connection_(connection), context_(context), onChange_(std::move(onChange)) {
    if (!connection_.available() || !context_) return;
    // Listening first: a change between reading and listening is not lost.
    if (!startListening() || !readKeyboard()) return;
    listener_ = connection_.addEventListener([this](const XEvent& event) { handle(event); });
}

X11CoreKeyboard::~X11CoreKeyboard() {
    if (listener_) connection_.removeEventListener(listener_);
}

bool X11CoreKeyboard::startListening() {
    Display* display = connection_.display();
    if (!xkb_x11_setup_xkb_extension(XGetXCBConnection(display), XKB_X11_MIN_MAJOR_XKB_VERSION,
                                     XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
                                     nullptr, nullptr)) {
        return false;
    }
    // Xlib must know the extension too, to hand its events over whole.
    int opcode = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase_, &errorBase, &major, &minor)) {
        return false;
    }
    XkbSelectEvents(display, XkbUseCoreKbd, keymapEvents, keymapEvents);
    XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, XkbGroupLockMask,
                          XkbGroupLockMask);
    return true;
}

// A keymap that cannot be read leaves the one we have.
bool X11CoreKeyboard::readKeyboard() {
    xcb_connection_t* xcb = XGetXCBConnection(connection_.display());
    std::int32_t deviceId = xkb_x11_get_core_keyboard_device_id(xcb);
    if (deviceId == -1) return false;
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap(
        xkb_x11_keymap_new_from_device(context_, xcb, deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) return false;
    std::unique_ptr<xkb_state, StateDeleter> state(
        xkb_x11_state_new_from_device(keymap.get(), xcb, deviceId));
    if (!state) return false;
    deviceId_ = deviceId;
    keymap_ = std::move(keymap);
    group_ = xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_LOCKED);
    return true;
}

// Others on this connection may ask for more XKB events than we do.
void X11CoreKeyboard::handle(const XEvent& event) {
    if (event.type != eventBase_) return;
    const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
    // Each keyboard behind the core one announces its own changes too; what
    // the core keyboard has is what reaches applications.
    if (xkb.any.device != static_cast<unsigned>(deviceId_)) return;
    switch (xkb.any.xkb_type) {
        case XkbStateNotify:
            if (!(xkb.state.changed & XkbGroupLockMask)) return;
            group_ = static_cast<xkb_layout_index_t>(xkb.state.locked_group);
            onChange_();
            return;
        // Another keyboard or another keymap: read in full.
        case XkbNewKeyboardNotify:
        case XkbMapNotify:
            if (readKeyboard()) onChange_();
            return;
        default:
            return;
    }
}

}  // namespace host
