#pragma once

// The toolkit's windows as X windows on the host's one X connection.
//
// A window's id is its X window id, so other X clients (and tests) can find
// it; without a display the ids only count up and nothing is shown. A point is
// a pixel on this host (scale 1): a picture presented at scale 2 is reduced to
// the window's size by averaging each 2×2 block of pixels.
//
// Our windows are opaque; where a picture is not (a menu's rounded corners),
// it shows over white, the light appearance's backdrop, rather than black.
//
// This ties together the window objects (X11Windows), what the window
// manager is told and asked (X11WindowManagerHints), the pop-up menus' grabs
// (X11PopUps) and the translation of input events (X11EventTranslation).

#include <optional>
#include <string>
#include <vector>

#include "host/x11/X11Connection.h"
#include "host/x11/X11EventTranslation.h"
#include "host/x11/X11PopUps.h"
#include "host/x11/X11WindowManagerHints.h"
#include "host/x11/X11Windows.h"
#include "platform/Activation.h"
#include "platform/WindowServer.h"

namespace host {

class X11WindowServer : public platform::WindowServer {
public:
    // With `activation`, windows follow the application's policy: an
    // accessory's windows stay out of task lists.
    explicit X11WindowServer(X11Connection& connection,
                             const platform::Activation* activation = nullptr);
    ~X11WindowServer() override;
    X11WindowServer(const X11WindowServer&) = delete;
    X11WindowServer& operator=(const X11WindowServer&) = delete;

    bool isAvailable() const override;
    // The window manager's work area (_NET_WORKAREA of the current desktop),
    // else the whole screen. Without RandR the X screen is the only monitor
    // we know of, so it is also the one the pointer is on.
    std::optional<platform::ScreenFrame> mainScreenFrame() override;

    platform::NativeWindowId createWindow(platform::NativeWindowKind kind, const std::string& title,
                                          const platform::ScreenFrame& frame,
                                          EventHandler handler) override;
    void destroyWindow(platform::NativeWindowId window) override;
    void setTitle(platform::NativeWindowId window, const std::string& title) override;
    void setFrame(platform::NativeWindowId window, const platform::ScreenFrame& frame) override;
    // Key windows take the focus once the server has mapped them: through the
    // window manager when one runs, else directly.
    void show(platform::NativeWindowId window, bool makeKey) override;
    void hide(platform::NativeWindowId window) override;
    void present(platform::NativeWindowId window, const platform::PixelImage& image,
                 double scale) override;
    // Leaves the move to a window manager that offers _NET_WM_MOVERESIZE;
    // without one the window stays where it is.
    void beginMove(platform::NativeWindowId window, double screenX, double screenY) override;
    // As _NET_WM_ICON on each window but pop-up menus.
    void setApplicationIcon(const std::vector<platform::PixelImage>& sizes) override;

private:
    X11Window* find(platform::NativeWindowId window);
    void deliver(platform::NativeWindowId window, const platform::WindowEvent& event);
    void applyStates(platform::NativeWindowId window, const X11Window& native);
    bool skipsTaskLists() const;
    void focus(platform::NativeWindowId window);

    void onEvent(const XEvent& event);
    void onExpose(const XEvent& event);
    void onConfigure(const XEvent& event);
    void onButtonPress(const XEvent& event);
    void onButtonRelease(const XEvent& event);
    void onMotion(const XEvent& event);
    void onKey(const XEvent& event);
    void onFocus(const XEvent& event);
    void onClientMessage(const XEvent& event);
    void onMapChange(const XEvent& event);

    X11Connection& connection_;
    const platform::Activation* activation_;
    X11EventTranslation translation_;
    X11WindowManagerHints hints_;
    X11Windows windows_;
    X11PopUps popUps_;
    X11Connection::ListenerId listener_ = 0;
    platform::NativeWindowId nextOffscreenWindow_ = 1;
};

}  // namespace host
