#pragma once

// The screens and the stacking order of the X server's windows, in the terms
// of the desktop's window list. Xlib stays in the .cpp (see X11Connection.h).

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/panels/PanelContents.h"
#include "host/x11/RootRect.h"
#include "host/x11/X11Connection.h"
#include "platform/GlobalEventMonitor.h"
#include "platform/WindowList.h"

namespace host {

// The monitors (RandR), primary first; the root window as one monitor when
// RandR names none. Empty without a display.
std::vector<RootRect> monitorsInRoot(X11Connection& connection);

// A root point in the desktop's screen coordinates: origin at the bottom left
// of the primary monitor, y up. Pixel rows count from the primary monitor's
// bottom edge, so the top row of a 800-row screen is 800.
platform::ScreenPoint screenPointFromRoot(const RootRect& primary, int x, int y);

// The pointer as XQueryPointer tells it of `window`.
struct X11Pointer {
    int x = 0;  // in the root window
    int y = 0;
    unsigned modifiers = 0;   // the X modifier and button bits held
    unsigned long child = 0;  // the child of `window` under it, 0 for none
};
// Absent when the pointer is on another screen.
std::optional<X11Pointer> x11QueryPointer(Display* display, unsigned long window);

class X11WindowList : public platform::WindowList {
public:
    // The desktop's own level numbers.
    static constexpr int mainMenuLevel = 24;
    static constexpr int statusLevel = 25;
    static constexpr int popUpMenuLevel = 101;
    static constexpr int cursorLevel = 2000;

    // `note` is told, once per panel, why right-clicks on it are left alone.
    explicit X11WindowList(X11Connection& connection,
                           std::function<void(const std::string&)> note = {})
        : connection_(connection), note_(std::move(note)) {}

    std::vector<platform::ScreenRect> screens() override;
    std::optional<platform::PropertyValue> copyWindowInfo() override;
    int windowLevel(platform::WindowLevelKey key) override;

private:
    bool lookInto(unsigned long window, const RootRect& pointer, const std::string& application,
                  const RootRect& primary, platform::PropertyArray& entries);
    void noteOnce(int pid, const std::string& application, const std::string& reason);

    X11Connection& connection_;
    std::function<void(const std::string&)> note_;
    PanelContents panelContents_;
    std::set<int> panelsNoted_;
};

}  // namespace host
