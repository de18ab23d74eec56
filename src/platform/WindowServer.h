#pragma once

// The desktop's windows, as the toolkit needs them: a window is a rectangle
// on screen that shows the pictures the toolkit renders and reports the
// mouse and keyboard. Everything inside a window, the title bar included, is
// the toolkit's own drawing. Coordinates are points from the top-left of the
// screen or of the window.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "platform/PixelImage.h"

namespace platform {

using NativeWindowId = std::uint64_t;

enum class NativeWindowKind {
    normal,     // an application window with our own title bar
    modal,      // an alert or panel kept above its owner
    popUpMenu,  // a menu: no decorations, above everything, takes the pointer
};

struct ScreenFrame {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const ScreenFrame&) const = default;
};

namespace WindowEvents {
// Mouse buttons: 1 left, 2 middle, 3 right.
struct MouseDown {
    double x = 0, y = 0;  // in the window
    int button = 1;
    int clickCount = 1;
    std::uint64_t modifiers = 0;  // ModifierFlags bits
};
struct MouseUp {
    double x = 0, y = 0;
    int button = 1;
    std::uint64_t modifiers = 0;
};
struct MouseMoved {
    double x = 0, y = 0;
    bool buttonDown = false;
    std::uint64_t modifiers = 0;
};
struct KeyDown {
    std::uint16_t keyCode = 0;  // virtual key code (a key position)
    std::string characters;     // what the key types with the modifiers, UTF-8
    std::string charactersIgnoringModifiers;
    std::uint64_t modifiers = 0;
    bool isRepeat = false;
};
struct KeyUp {
    std::uint16_t keyCode = 0;
    std::uint64_t modifiers = 0;
};
// A modifier key went down or up; `modifiers` is the new state.
struct FlagsChanged {
    std::uint16_t keyCode = 0;
    std::uint64_t modifiers = 0;
};
// The window gained or lost keyboard focus.
struct FocusIn {};
struct FocusOut {};
// The desktop asks the window to close (its own close control, a shortcut).
struct CloseRequested {};
// Part of the window was uncovered; the window server shows it again from
// the last picture presented, so nothing needs drawing.
struct Exposed {};
// The pointer went down outside a pop-up menu window.
struct ClickedOutside {};
// Someone else (the window manager, a drag it runs) moved the window; where
// its top-left corner is now, in the frame's coordinates.
struct Moved {
    double x = 0, y = 0;
};
}  // namespace WindowEvents

using WindowEvent =
    std::variant<WindowEvents::MouseDown, WindowEvents::MouseUp, WindowEvents::MouseMoved,
                 WindowEvents::KeyDown, WindowEvents::KeyUp, WindowEvents::FlagsChanged,
                 WindowEvents::FocusIn, WindowEvents::FocusOut, WindowEvents::CloseRequested,
                 WindowEvents::Exposed, WindowEvents::ClickedOutside, WindowEvents::Moved>;

class WindowServer {
public:
    using EventHandler = std::function<void(const WindowEvent&)>;

    virtual ~WindowServer() = default;

    // False when there is no display: windows then live offscreen only, and
    // the calls below do nothing.
    virtual bool isAvailable() const = 0;
    // The main screen's area for windows, in points.
    virtual std::optional<ScreenFrame> mainScreenFrame() = 0;

    // Events arrive on the main thread, on the run loop.
    virtual NativeWindowId createWindow(NativeWindowKind kind, const std::string& title,
                                        const ScreenFrame& frame, EventHandler handler) = 0;
    virtual void destroyWindow(NativeWindowId window) = 0;
    virtual void setTitle(NativeWindowId window, const std::string& title) = 0;
    virtual void setFrame(NativeWindowId window, const ScreenFrame& frame) = 0;
    // Shows the window; with `makeKey` it also takes keyboard focus.
    virtual void show(NativeWindowId window, bool makeKey) = 0;
    virtual void hide(NativeWindowId window) = 0;
    // The window's picture at `scale` pixels per point, kept by the window
    // server until the next one or until the window hides.
    virtual void present(NativeWindowId window, const PixelImage& image, double scale) = 0;
    // The user pressed on our title bar: let the desktop move the window with
    // the pointer until the button is released.
    virtual void beginMove(NativeWindowId window, double screenX, double screenY) = 0;
    // The application's icon, in the sizes given, for the desktop's window
    // lists and switchers; it applies to every window, also those to come.
    virtual void setApplicationIcon(const std::vector<PixelImage>& sizes) = 0;
};

}  // namespace platform
