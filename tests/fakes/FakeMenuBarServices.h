#pragma once

// Stand-ins for the window server's screens and window list, and for the
// desktop-wide mouse monitor: scripted windows, and presses a test makes.

#include <map>
#include <string>
#include <vector>

#include "platform/GlobalEventMonitor.h"
#include "platform/WindowList.h"

namespace fakes {

class FakeWindowList : public platform::WindowList {
public:
    static constexpr int menuBarLevel = 24;
    static constexpr int cursorLevel = 2000;

    std::vector<platform::ScreenRect> screens() override { return screenList; }
    std::optional<platform::PropertyValue> copyWindowInfo() override {
        ++copies;
        return windows;
    }
    int windowLevel(platform::WindowLevelKey key) override {
        return key == platform::WindowLevelKey::mainMenu ? menuBarLevel : cursorLevel;
    }
    // Adds a window behind those added before (the list is front to back).
    void addWindow(int layer, double x, double y, double width, double height, std::string owner, double alpha = 1);

    // One 1440 × 900 screen.
    std::vector<platform::ScreenRect> screenList{{0, 0, 1440, 900}};
    std::optional<platform::PropertyValue> windows = platform::PropertyValue(platform::PropertyArray{});
    int copies = 0;
};

class FakeGlobalEventMonitor : public platform::GlobalEventMonitor {
public:
    std::optional<platform::EventMonitorId> addGlobalMonitor(std::uint64_t mask, Handler handler) override;
    void removeMonitor(platform::EventMonitorId monitor) override { monitors.erase(monitor); }
    platform::ScreenPoint mouseLocation() override { return pointer; }

    // A press somewhere on the desktop, delivered to every monitor that asked for it.
    void press(const platform::GlobalMouseEvent& event);

    struct Installed {
        std::uint64_t mask;
        Handler handler;
    };
    std::map<platform::EventMonitorId, Installed> monitors;
    bool failInstalling = false;
    int installs = 0;
    platform::ScreenPoint pointer;

private:
    platform::EventMonitorId nextId_ = 1;
};

}  // namespace fakes
