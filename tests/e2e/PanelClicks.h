#pragma once

// Right-clicks on a real panel's items and its empty stretch, and what
// Tarnwick made of them: the panel's accessibility data must be up before
// the panel starts, and each click's menu (the panel's or Tarnwick's) closed.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/PrivateDesktop.h"
#include "support/Process.h"

namespace e2e {

// Starts the desktop's accessibility bus, as a session does before its panel.
void startAccessibilityBus(const support::PrivateDesktop& desktop);

// Other programs' ordinary window (for the task list) and status icon, and
// with `trayIcon` an older kind of tray icon: a window of its own embedded in
// the panel's tray (XEmbed).
struct OtherPrograms {
    std::unique_ptr<support::ChildProcess> window;
    std::unique_ptr<support::ChildProcess> statusIcon;
    std::unique_ptr<support::ChildProcess> trayIcon;
};
OtherPrograms startOtherPrograms(const support::PrivateDesktop& desktop, bool trayIcon = false);

// Right-clicks the middle of the embedded tray icon, then presses Escape.
void rightClickTrayIcon(const support::PrivateDesktop& desktop);

// Clicks each point with the physical button, then presses Escape for the
// menu it may have opened.
void clickEach(const support::PrivateDesktop& desktop, int button,
               const std::vector<std::pair<int, int>>& points);

// Right-clicks each point (button 3, as a right-handed mouse has it).
void rightClickEach(const support::PrivateDesktop& desktop,
                    const std::vector<std::pair<int, int>>& points);

// A Control-click at the point, Control held through it as a hand holds it.
void controlClick(const support::PrivateDesktop& desktop, std::pair<int, int> point);

// How many times the log says a right-click toggled.
int rightClickToggles(const std::string& log);

// Waits a moment for the log to say so `count` times.
bool waitForRightClickToggles(support::ChildProcess& tarnwick, int count);

}  // namespace e2e
