#pragma once

// Mouse presses anywhere on the desktop, also those meant for other
// applications, which still receive them.

#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

using EventMonitorId = std::uint64_t;

struct GlobalMouseEvent {
    static constexpr int leftMouseDown = 1;
    static constexpr int rightMouseDown = 3;
    // Event mask bits: 1 << type.
    static constexpr std::uint64_t leftMouseDownMask = 1 << leftMouseDown;
    static constexpr std::uint64_t rightMouseDownMask = 1 << rightMouseDown;

    int type = leftMouseDown;
    std::uint64_t modifierFlags = 0;  // ModifierFlags bits
    // Whether the press belongs to a window of this program.
    bool hasWindow = false;
    // For a press without a window: the screen point, bottom-left origin.
    double x = 0;
    double y = 0;
};

struct ScreenPoint {
    double x = 0;
    double y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

class GlobalEventMonitor {
public:
    using Handler = std::function<void(const GlobalMouseEvent&)>;
    virtual ~GlobalEventMonitor() = default;
    // Called on the main thread for every matching press; absent when the
    // monitor cannot be installed.
    virtual std::optional<EventMonitorId> addGlobalMonitor(std::uint64_t mask, Handler handler) = 0;
    virtual void removeMonitor(EventMonitorId monitor) = 0;
    // Where the pointer is now, bottom-left origin of the primary screen.
    virtual ScreenPoint mouseLocation() = 0;
};

}  // namespace platform
