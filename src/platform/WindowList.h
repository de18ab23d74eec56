#pragma once

// The screens and the windows on them, as the desktop's window server sees
// them, for telling whether a point lies on empty menu bar.

#include <optional>
#include <vector>

#include "platform/PropertyValue.h"

namespace platform {

// A screen's frame with the origin at the bottom left of the primary screen
// and y growing upwards. The first screen is the primary one.
struct ScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// Keys of a window-list entry.
namespace WindowInfoKeys {
inline constexpr const char* layer = "kCGWindowLayer";          // integer
// {X, Y, Width, Height}: origin at the top left of the primary screen, y down
inline constexpr const char* bounds = "kCGWindowBounds";
inline constexpr const char* alpha = "kCGWindowAlpha";          // real
inline constexpr const char* ownerName = "kCGWindowOwnerName";  // text
}  // namespace WindowInfoKeys

enum class WindowLevelKey { mainMenu, cursor };

class WindowList {
public:
    virtual ~WindowList() = default;
    virtual std::vector<ScreenRect> screens() = 0;
    // The on-screen windows from front to back, each a dictionary with the
    // keys above (any may be missing); absent when the list cannot be had.
    virtual std::optional<PropertyValue> copyWindowInfo() = 0;
    virtual int windowLevel(WindowLevelKey key) = 0;
};

}  // namespace platform
