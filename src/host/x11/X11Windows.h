#pragma once

// Our windows as X windows: each one's X window and graphics context, what
// the server last told of it, the pixel format they share, the picture each
// shows as its background, and the order they were shown in. What a window
// manager is told of them is X11WindowManagerHints's; the grabs that pop-up
// menus hold are X11PopUps's.

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "host/x11/X11Connection.h"
#include "platform/WindowServer.h"

// Xlib's graphics context, behind its GC.
struct _XGC;

namespace host {

// The toolkit's id of one of our windows is its X window id.
inline unsigned long xWindow(platform::NativeWindowId window) {
    return static_cast<unsigned long>(window);
}

// The pointer events our windows select, and a menu's grab asks for.
extern const long x11PointerEvents;

// A frame in whole pixels; X windows are at least one pixel wide and high.
struct X11PixelRect {
    int x = 0, y = 0;
    unsigned width = 1, height = 1;
};

X11PixelRect x11PixelRect(const platform::ScreenFrame& frame);

// One of our windows.
struct X11Window {
    platform::NativeWindowKind kind = platform::NativeWindowKind::normal;
    platform::WindowServer::EventHandler handler;
    platform::ScreenFrame frame;
    _XGC* gc = nullptr;
    bool mapped = false;  // as the server last reported, or unmapped by us since
    bool focusWhenMapped = false;
    bool focused = false;
};

class X11Windows {
public:
    // Chooses the pixel format when there is a display.
    explicit X11Windows(X11Connection& connection);
    // Destroys the windows that are left.
    ~X11Windows();
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    // An unmapped window at the frame, white until its first picture. Needs
    // a display.
    platform::NativeWindowId create(platform::NativeWindowKind kind,
                                    const platform::ScreenFrame& frame,
                                    platform::WindowServer::EventHandler handler);
    void destroy(platform::NativeWindowId window);
    X11Window* find(platform::NativeWindowId window);

    template <typename Visit>
    void forEach(Visit visit) const {
        for (const auto& [window, native] : windows_) visit(window, *native);
    }

    // Moves and sizes the window to its frame, which a person cannot change.
    void applyFrame(platform::NativeWindowId window, const X11Window& native);
    // Asks the server where the window is on the root; true when it is no
    // longer where its frame says, which then follows it.
    bool followMove(platform::NativeWindowId window, X11Window& native);
    // Maps the window above the others, as the newest shown.
    void showRaised(platform::NativeWindowId window);
    // Unmaps the window, and drops its picture: it is presented afresh when
    // the window shows again.
    void withdraw(platform::NativeWindowId window);
    // The picture at `scale` pixels per point becomes the window's
    // background; false when there was none to put.
    bool present(platform::NativeWindowId window, const platform::PixelImage& image, double scale);

    // The newest shown normal window but `except`: the one a dialog belongs to.
    std::optional<platform::NativeWindowId> newestShownNormal(
        platform::NativeWindowId except) const;

private:
    struct PixelFormat;  // the visual, depth and colormap of our windows

    X11Connection& connection_;
    std::unique_ptr<PixelFormat> format_;
    std::map<platform::NativeWindowId, std::unique_ptr<X11Window>> windows_;
    // Our windows as they were last shown, oldest first.
    std::vector<platform::NativeWindowId> shownOrder_;
};

}  // namespace host
