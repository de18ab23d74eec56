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

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "host/x11/X11Connection.h"
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
    struct NativeWindow;  // one of our windows, with its X resources
    struct Atoms;
    struct PixelFormat;

    // The previous button press, for counting clicks.
    struct Press {
        platform::NativeWindowId window = 0;
        unsigned button = 0;
        unsigned long time = 0;
        int x = 0, y = 0;
        int count = 0;
    };

    NativeWindow* find(platform::NativeWindowId window);
    void applyFrame(platform::NativeWindowId window, NativeWindow& native);
    void applyTitle(platform::NativeWindowId window, const std::string& title);
    void applyKindProperties(platform::NativeWindowId window, platform::NativeWindowKind kind);
    void applyStates(platform::NativeWindowId window, const NativeWindow& native);
    void applyIcon(platform::NativeWindowId window, platform::NativeWindowKind kind);
    std::optional<platform::NativeWindowId> lastShownNormalWindow(platform::NativeWindowId except) const;
    void deliver(platform::NativeWindowId window, const platform::WindowEvent& event);

    void focus(platform::NativeWindowId window);
    void grabPointerForLastPopUp();
    void forgetPopUp(platform::NativeWindowId window);
    bool windowManagerSupports(unsigned long atom);
    void sendToWindowManager(platform::NativeWindowId window, unsigned long messageType,
                             const std::vector<long>& data);

    void onEvent(const XEvent& event);
    void onExpose(const XEvent& event);
    void onConfigure(const XEvent& event);
    void onButtonPress(const XEvent& event);
    bool pressIsOutsidePopUps(const XEvent& event);
    void onButtonRelease(const XEvent& event);
    void onMotion(const XEvent& event);
    void onKey(const XEvent& event);
    void onModifierKey(const XEvent& event, unsigned mask);
    void onFocus(const XEvent& event);
    void onClientMessage(const XEvent& event);
    void onMapChange(const XEvent& event);
    int clickCount(platform::NativeWindowId window, const XEvent& event);

    X11Connection& connection_;
    X11Connection::ListenerId listener_ = 0;
    std::unique_ptr<Atoms> atoms_;
    std::unique_ptr<PixelFormat> format_;
    std::map<platform::NativeWindowId, std::unique_ptr<NativeWindow>> windows_;
    platform::NativeWindowId nextOffscreenWindow_ = 1;
    // Shown pop-up menus in the order they appeared; the last holds the pointer.
    std::vector<platform::NativeWindowId> popUps_;
    // Our windows as they were last shown, oldest first; dialogs belong to the newest.
    std::vector<platform::NativeWindowId> shownOrder_;
    const platform::Activation* activation_;
    Press lastPress_;
    // Keys that are down: with detectable auto-repeat a repeat is a second
    // press without a release.
    std::set<unsigned> heldKeys_;
    // Modifier keys that are down, with their X modifier masks: releasing one
    // Shift leaves the state shifted while the other is held.
    std::map<unsigned, unsigned> heldModifierKeys_;
    // Whether Caps Lock was locked when its key went down; the lock then comes
    // off as the key goes up.
    bool capsLockedAtPress_ = false;
    // _NET_WM_ICON's cardinals: width, height, then straight ARGB rows, per size.
    std::vector<unsigned long> icon_;
};

}  // namespace host
