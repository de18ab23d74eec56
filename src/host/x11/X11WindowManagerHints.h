#pragma once

// What our windows tell a window manager and ask of it: the ICCCM and EWMH
// properties of each window (title, class, protocols, type, states,
// transient-for, the application's icon), the client messages that ask it to
// activate or move one, and the work area it publishes. Without a window
// manager the properties are still set and nothing is asked.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/x11/X11Connection.h"
#include "platform/WindowServer.h"

namespace host {

class X11WindowManagerHints {
public:
    // Interns the atoms when there is a display.
    explicit X11WindowManagerHints(X11Connection& connection);
    ~X11WindowManagerHints();
    X11WindowManagerHints(const X11WindowManagerHints&) = delete;
    X11WindowManagerHints& operator=(const X11WindowManagerHints&) = delete;

    void setTitle(platform::NativeWindowId window, const std::string& title);
    // What stays with a window for its life: our own title bar instead of
    // the window manager's, class, close protocol, process, and type.
    void setKindProperties(platform::NativeWindowId window, platform::NativeWindowKind kind);
    // Read by a window manager as the window is mapped. A dialog stays above
    // `owner`, the window it belongs to; `skipsTaskLists` for an application
    // without a Dock icon.
    void setStates(platform::NativeWindowId window, platform::NativeWindowKind kind,
                   std::optional<platform::NativeWindowId> owner, bool skipsTaskLists);

    // Kept for the windows made later; applyIcon puts it on one.
    void setApplicationIcon(const std::vector<platform::PixelImage>& sizes);
    // As _NET_WM_ICON on each window but pop-up menus.
    void applyIcon(platform::NativeWindowId window, platform::NativeWindowKind kind);

    // Asks the window manager to make the window active, as of the user's
    // action at `time`; false when none runs that would.
    bool requestActivation(platform::NativeWindowId window, unsigned long time);
    // Lets the window manager move the window with the pointer, pressed with
    // `button` at the screen point; without one that can, nothing happens.
    void requestMove(platform::NativeWindowId window, double screenX, double screenY, long button);

    // _NET_WORKAREA of the current desktop, when there is one.
    std::optional<platform::ScreenFrame> workArea();

    // Whether the client message is the window manager asking to close.
    bool isDeleteRequest(const XEvent& event) const;

private:
    struct Atoms;

    bool windowManagerSupports(unsigned long atom);
    void sendToWindowManager(platform::NativeWindowId window, unsigned long messageType,
                             const std::vector<long>& data);

    X11Connection& connection_;
    std::unique_ptr<Atoms> atoms_;
    // _NET_WM_ICON's cardinals: width, height, then straight ARGB rows, per size.
    std::vector<unsigned long> icon_;
};

}  // namespace host
