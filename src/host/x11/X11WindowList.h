#pragma once

// The screens and the stacking order of the X server's windows, in the terms
// of the desktop's window list. Xlib stays in the .cpp (see X11Connection.h).

#include <vector>

#include "host/x11/X11Connection.h"
#include "platform/GlobalEventMonitor.h"
#include "platform/WindowList.h"

namespace host {

// A rectangle in root window coordinates: top-left origin, y down.
struct RootRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const RootRect&) const = default;
};

// The monitors (RandR), primary first; the root window as one monitor when
// RandR names none. Empty without a display.
std::vector<RootRect> monitorsInRoot(X11Connection& connection);

// A root point in the desktop's screen coordinates: origin at the bottom left
// of the primary monitor, y up. Pixel rows count from the primary monitor's
// bottom edge, so the top row of a 800-row screen is 800.
platform::ScreenPoint screenPointFromRoot(const RootRect& primary, int x, int y);

class X11WindowList : public platform::WindowList {
public:
    // The desktop's own level numbers.
    static constexpr int mainMenuLevel = 24;
    static constexpr int statusLevel = 25;
    static constexpr int popUpMenuLevel = 101;
    static constexpr int cursorLevel = 2000;

    explicit X11WindowList(X11Connection& connection) : connection_(connection) {}

    std::vector<platform::ScreenRect> screens() override;
    std::optional<platform::PropertyValue> copyWindowInfo() override;
    int windowLevel(platform::WindowLevelKey key) override;

private:
    X11Connection& connection_;
};

}  // namespace host
