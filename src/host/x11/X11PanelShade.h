#pragma once

// Whether the desktop's panel is dark, read from what the screen shows where
// it is: the status area's background, which a symbol in it must stand out
// from. Looked at again every few seconds, so a theme change is followed.

#include <functional>
#include <optional>

#include "host/x11/X11Connection.h"

namespace host {

// The median relative luminance (0 black, 1 white) of the screen's pixels in
// the rectangle; absent when none of it is on the screen.
std::optional<double> medianLuminance(Display* display, int x, int y, int width, int height);

class X11PanelShade {
public:
    // Symbols are drawn white below this background luminance: there white
    // contrasts more than black does ((1 + 0.05) / (L + 0.05) against
    // (L + 0.05) / 0.05).
    static constexpr double darkBelow = 0.179;

    // `changed` hears each flip between dark and light, on the main loop.
    X11PanelShade(X11Connection& connection, std::function<void(bool dark)> changed);
    ~X11PanelShade();
    X11PanelShade(const X11PanelShade&) = delete;
    X11PanelShade& operator=(const X11PanelShade&) = delete;

    // Light until a panel was seen.
    bool isDark() const { return dark_; }
    // Looks at the panels now.
    void look();

private:
    X11Connection& connection_;
    std::function<void(bool)> changed_;
    bool dark_ = false;
    unsigned timer_ = 0;
};

}  // namespace host
