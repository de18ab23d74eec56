#include "host/x11/X11WindowServer.h"

#include <X11/Xlib.h>

#include <utility>

// Xlib's event types of these names would replace the toolkit's events.
constexpr int focusInEvent = FocusIn;
constexpr int focusOutEvent = FocusOut;
#undef FocusIn
#undef FocusOut

namespace host {

using platform::NativeWindowId;
using platform::NativeWindowKind;
using platform::PixelImage;
using platform::ScreenFrame;
namespace WindowEvents = platform::WindowEvents;

X11WindowServer::X11WindowServer(X11Connection& connection, const platform::Activation* activation)
    : connection_(connection),
      activation_(activation),
      translation_(connection),
      hints_(connection),
      windows_(connection),
      popUps_(connection) {
    if (!connection_.available()) return;
    listener_ = connection_.addEventListener([this](const XEvent& event) { onEvent(event); });
}

// Only the listening stops here; the windows go with windows_, after it.
X11WindowServer::~X11WindowServer() {
    if (!connection_.available()) return;
    connection_.removeEventListener(listener_);
}

bool X11WindowServer::isAvailable() const {
    return connection_.available();
}

std::optional<ScreenFrame> X11WindowServer::mainScreenFrame() {
    Display* display = connection_.display();
    if (!display) return std::nullopt;
    if (auto workArea = hints_.workArea()) return workArea;
    int screen = DefaultScreen(display);
    return ScreenFrame{0, 0, static_cast<double>(DisplayWidth(display, screen)),
                       static_cast<double>(DisplayHeight(display, screen))};
}

NativeWindowId X11WindowServer::createWindow(NativeWindowKind kind, const std::string& title,
                                             const ScreenFrame& frame, EventHandler handler) {
    if (!connection_.available()) return nextOffscreenWindow_++;
    NativeWindowId window = windows_.create(kind, frame, std::move(handler));
    const X11Window& created = *find(window);
    hints_.setKindProperties(window, kind);
    applyStates(window, created);
    hints_.setTitle(window, title);
    hints_.applyIcon(window, kind);
    windows_.applyFrame(window, created);
    return window;
}

void X11WindowServer::destroyWindow(NativeWindowId window) {
    if (!find(window)) return;
    popUps_.forget(window);
    windows_.destroy(window);
    translation_.forgetWindow(window);
    connection_.flush();
}

void X11WindowServer::setTitle(NativeWindowId window, const std::string& title) {
    if (!find(window)) return;
    hints_.setTitle(window, title);
    connection_.flush();
}

void X11WindowServer::setFrame(NativeWindowId window, const ScreenFrame& frame) {
    X11Window* native = find(window);
    if (!native) return;
    native->frame = frame;
    windows_.applyFrame(window, *native);
    connection_.flush();
}

void X11WindowServer::show(NativeWindowId window, bool makeKey) {
    X11Window* native = find(window);
    if (!native) return;
    if (!native->mapped) applyStates(window, *native);
    windows_.showRaised(window);
    if (native->kind == NativeWindowKind::popUpMenu) popUps_.shown(window);
    // Focus can only go to a window the server shows, and a window manager
    // may take a while to show it.
    if (makeKey && native->mapped) focus(window);
    native->focusWhenMapped = makeKey && !native->mapped;
    connection_.flush();
}

void X11WindowServer::hide(NativeWindowId window) {
    X11Window* native = find(window);
    if (!native) return;
    native->mapped = false;
    native->focusWhenMapped = false;
    popUps_.forget(window);
    windows_.withdraw(window);
    connection_.flush();
}

void X11WindowServer::present(NativeWindowId window, const PixelImage& image, double scale) {
    if (!windows_.present(window, image, scale)) return;
    connection_.flush();
}

void X11WindowServer::beginMove(NativeWindowId window, double screenX, double screenY) {
    if (!find(window)) return;
    const auto& press = translation_.lastPress();
    long button = press.window == window ? static_cast<long>(press.button) : 1;
    hints_.requestMove(window, screenX, screenY, button);
}

void X11WindowServer::setApplicationIcon(const std::vector<PixelImage>& sizes) {
    hints_.setApplicationIcon(sizes);
    windows_.forEach([this](NativeWindowId window, const X11Window& native) {
        hints_.applyIcon(window, native.kind);
    });
    connection_.flush();
}

X11Window* X11WindowServer::find(NativeWindowId window) {
    return windows_.find(window);
}

void X11WindowServer::deliver(NativeWindowId window, const platform::WindowEvent& event) {
    X11Window* native = find(window);
    if (!native || !native->handler) return;
    // A copy: the handler may destroy the window, and its handler with it.
    EventHandler handler = native->handler;
    handler(event);
}

// A dialog belongs to the window shown last, and an application without a
// Dock icon keeps its windows out of task lists and pagers.
void X11WindowServer::applyStates(NativeWindowId window, const X11Window& native) {
    hints_.setStates(window, native.kind, windows_.newestShownNormal(window), skipsTaskLists());
}

bool X11WindowServer::skipsTaskLists() const {
    return activation_ && activation_->policy() != platform::ActivationPolicy::regular;
}

void X11WindowServer::focus(NativeWindowId window) {
    X11Window* native = find(window);
    if (!native) return;
    // Window managers know nothing of menus.
    bool managed = native->kind != NativeWindowKind::popUpMenu;
    if (managed && hints_.requestActivation(window, translation_.lastPress().time)) return;
    Display* display = connection_.display();
    // The window may have been unmapped again since the server reported it.
    X11ErrorTrap trap(display);
    XSetInputFocus(display, xWindow(window), RevertToPointerRoot, CurrentTime);
}

void X11WindowServer::onEvent(const XEvent& event) {
    switch (event.type) {
        case Expose:
            return onExpose(event);
        case ButtonPress:
            return onButtonPress(event);
        case ButtonRelease:
            return onButtonRelease(event);
        case MotionNotify:
            return onMotion(event);
        case KeyPress:
        case KeyRelease:
            return onKey(event);
        case focusInEvent:
        case focusOutEvent:
            return onFocus(event);
        case ClientMessage:
            return onClientMessage(event);
        case MapNotify:
        case UnmapNotify:
            return onMapChange(event);
        case ConfigureNotify:
            return onConfigure(event);
        default:
            return;
    }
}

// The server repaints what was uncovered from the window's background, the
// last picture presented, even while the toolkit is busy; the toolkit hears
// once per batch.
void X11WindowServer::onExpose(const XEvent& event) {
    if (event.xexpose.count > 0) return;  // more of the same batch follow
    NativeWindowId window = event.xexpose.window;
    if (!find(window)) return;
    deliver(window, WindowEvents::Exposed{});
}

void X11WindowServer::onConfigure(const XEvent& event) {
    NativeWindowId window = event.xconfigure.window;
    X11Window* native = find(window);
    if (!native || !windows_.followMove(window, *native)) return;
    deliver(window, WindowEvents::Moved{native->frame.x, native->frame.y});
}

void X11WindowServer::onButtonPress(const XEvent& event) {
    NativeWindowId window = event.xbutton.window;
    X11Window* native = find(window);
    if (!native || !x11IsClickButton(event.xbutton.button)) return;
    if (!popUps_.pressIsOutside(event, *native)) {
        return deliver(window, translation_.mouseDown(event));
    }
    // A copy: menus close as they hear it.
    std::vector<NativeWindowId> menus = popUps_.menus();
    for (NativeWindowId menu : menus) deliver(menu, WindowEvents::ClickedOutside{});
}

void X11WindowServer::onButtonRelease(const XEvent& event) {
    if (!x11IsClickButton(event.xbutton.button)) return;
    deliver(event.xbutton.window, translation_.mouseUp(event));
}

void X11WindowServer::onMotion(const XEvent& event) {
    deliver(event.xmotion.window, translation_.mouseMoved(event));
}

void X11WindowServer::onKey(const XEvent& event) {
    NativeWindowId window = event.xkey.window;
    if (!find(window)) return;
    if (auto translated = translation_.key(event)) deliver(window, *translated);
}

void X11WindowServer::onFocus(const XEvent& event) {
    NativeWindowId window = event.xfocus.window;
    X11Window* native = find(window);
    if (!native || !x11IsAnnouncedFocusChange(event)) return;
    bool focused = event.type == focusInEvent;
    if (native->focused == focused) return;
    native->focused = focused;
    if (focused) return deliver(window, WindowEvents::FocusIn{});
    translation_.forgetHeldKeys();
    deliver(window, WindowEvents::FocusOut{});
}

void X11WindowServer::onClientMessage(const XEvent& event) {
    if (!hints_.isDeleteRequest(event)) return;
    deliver(event.xclient.window, WindowEvents::CloseRequested{});
}

void X11WindowServer::onMapChange(const XEvent& event) {
    NativeWindowId window = event.xany.window;
    X11Window* native = find(window);
    if (!native) return;
    native->mapped = event.type == MapNotify;
    if (!native->mapped || !native->focusWhenMapped) return;
    native->focusWhenMapped = false;
    focus(window);
}

}  // namespace host
