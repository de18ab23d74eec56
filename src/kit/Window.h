#pragma once

// A window: our own title bar above a content view, a key window and a
// focused control, events routed to the views, and a picture of the whole of
// it. With a display it is a real window of the desktop; without one it lives
// offscreen and still lays out and renders.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "kit/Bitmap.h"
#include "kit/Event.h"
#include "kit/Geometry.h"
#include "kit/Responder.h"
#include "kit/View.h"
#include "platform/WindowServer.h"

namespace kit {

class Window;

namespace WindowStyle {
inline constexpr unsigned titled = 1 << 0;
inline constexpr unsigned closable = 1 << 1;
inline constexpr unsigned miniaturizable = 1 << 2;
inline constexpr unsigned resizable = 1 << 3;
}  // namespace WindowStyle

// Where the window goes on the desktop's workspaces; kept as the desktop's
// flag values.
namespace CollectionBehavior {
inline constexpr std::uint64_t moveToActiveSpace = 1 << 1;
inline constexpr std::uint64_t fullScreenAuxiliary = 1 << 8;
}  // namespace CollectionBehavior

class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    virtual void windowDidBecomeKey(Window&) {}
    virtual void windowDidResignKey(Window&) {}
    virtual bool windowShouldClose(Window&) { return true; }
    virtual void windowWillClose(Window&) {}
};

class Window : public Responder {
public:
    static constexpr double titleBarHeight = 28;

    Window() : Window({0, 0}, WindowStyle::titled | WindowStyle::closable) {}
    Window(Size contentSize, unsigned styleMask,
           platform::NativeWindowKind kind = platform::NativeWindowKind::normal);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    unsigned styleMask() const { return styleMask_; }
    WindowDelegate* delegate() const { return delegate_; }
    void setDelegate(WindowDelegate* delegate) { delegate_ = delegate; }
    bool isReleasedWhenClosed() const { return releasedWhenClosed_; }
    void setReleasedWhenClosed(bool released) { releasedWhenClosed_ = released; }
    std::uint64_t collectionBehavior() const { return collectionBehavior_; }
    void setCollectionBehavior(std::uint64_t behavior) { collectionBehavior_ = behavior; }

    // The content sits below the title bar; window coordinates start at the
    // window's top-left corner, title bar included.
    View* contentView() const { return contentView_.get(); }
    void setContentView(std::unique_ptr<View> view);
    Size contentSize() const { return contentSize_; }
    void setContentSize(Size size);
    // From now on the window fits `view`, a view of its content, with
    // `margins` around it: each layout gives the view its fitting size and
    // the window the size that takes, growing or shrinking with what the view
    // shows while its top-left corner stays where it is. Until the content
    // view is replaced.
    void sizeToFit(View& view, EdgeInsets margins);
    double contentTop() const;
    // On the screen, title bar included.
    Rect frame() const { return {origin_, {contentSize_.width, contentSize_.height + contentTop()}}; }
    void setFrameOrigin(Point origin);
    void center();

    bool isVisible() const { return visible_; }
    // Shown on a real display (not only offscreen).
    bool isOnScreen() const;
    bool isKeyWindow() const;
    void orderFront();
    void orderFrontRegardless() { orderFront(); }
    void makeKeyAndOrderFront();
    void orderOut();
    // Hides the window after telling the delegate; the window lives on.
    void close();
    // What the close button and ⌘W do: asks the delegate, then closes.
    void performClose();

    Responder* firstResponder() const { return firstResponder_; }
    // Moves keyboard focus: the old responder must resign, a view must
    // accept it. Null focuses nothing (the window itself).
    bool makeFirstResponder(Responder* responder);

    // Called when the application's key window changes.
    void becomeKeyWindow();
    void resignKeyWindow();

    // An event in window coordinates, from the desktop or a test.
    void sendEvent(const Event& event);
    // The pointer moved over the window with no button down.
    virtual void pointerMoved(Point) {}
    // The desktop saw a press outside this window while it held the pointer
    // (pop-up menus do).
    virtual void clickedOutside() {}
    bool tryToPerform(const Action& action, Responder* sender) override;

    // Everything laid out, title bar included, at `scale` pixels per point.
    Bitmap render(double scale = 2);
    void layoutIfNeeded();
    // A view changed: a visible window on a display draws again soon.
    void setViewsNeedDisplay();
    // A view and its subtree leave the window: focus and a pressed mouse
    // must not point into them any more.
    void viewWillLeave(const View& view);

    // The title bar's buttons, in window coordinates.
    Rect closeButtonFrame() const;
    Rect miniaturizeButtonFrame() const;
    Rect zoomButtonFrame() const;

private:
    void drawTitleBar(GraphicsContext& context) const;
    void mouseDownInTitleBar(const Event& event);
    void routeMouse(const Event& event);
    void routeKeyDown(const Event& event);
    View* firstResponderView() const;
    void ensureNativeWindow();
    void handleNativeEvent(const platform::WindowEvent& event);
    void present();

    std::string title_;
    unsigned styleMask_;
    platform::NativeWindowKind kind_;
    WindowDelegate* delegate_ = nullptr;
    bool releasedWhenClosed_ = true;
    std::uint64_t collectionBehavior_ = 0;
    std::unique_ptr<View> contentView_;
    Size contentSize_;
    View* fitted_ = nullptr;
    EdgeInsets fittedMargins_;
    Point origin_;
    bool visible_ = false;
    Responder* firstResponder_ = nullptr;
    View* mouseView_ = nullptr;  // gets the drag and the release of a press
    std::optional<platform::NativeWindowId> native_;
    bool displayPending_ = false;
    // Lets queued work notice that the window is gone.
    std::shared_ptr<Window*> alive_ = std::make_shared<Window*>(this);
};

}  // namespace kit
