#include "e2e/PanelClicks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace e2e {

namespace {

void pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
}

}  // namespace

void startAccessibilityBus(const support::PrivateDesktop& desktop) {
    desktop.run({"gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path",
                 "/org/a11y/bus", "--method", "org.a11y.Bus.GetAddress"});
}

OtherPrograms startOtherPrograms(const support::PrivateDesktop& desktop, bool trayIcon) {
    OtherPrograms programs{desktop.start({HOST_TEST_HELPER, "ordinary-window"}),
                           desktop.start({HOST_TEST_HELPER, "status-item"}), nullptr};
    EXPECT_TRUE(programs.window->waitForStdout("ready")) << programs.window->stderrText();
    EXPECT_TRUE(programs.statusIcon->waitForStdout("ready")) << programs.statusIcon->stderrText();
    if (!trayIcon) return programs;
    programs.trayIcon = desktop.start({HOST_TEST_HELPER, "tray-icon"});
    EXPECT_TRUE(programs.trayIcon->waitForStdout("docked")) << programs.trayIcon->stderrText();
    return programs;
}

void rightClickTrayIcon(const support::PrivateDesktop& desktop) {
    desktop.run({"xdotool", "search", "--name", "TarnwickTrayIcon", "mousemove", "--window", "%1",
                 "11", "11", "click", "3"});
    pause();
    desktop.run({"xdotool", "key", "Escape"});
    pause();
}

void clickEach(const support::PrivateDesktop& desktop, int button,
               const std::vector<std::pair<int, int>>& points) {
    for (auto [x, y] : points) {
        desktop.run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click",
                     std::to_string(button)});
        pause();
        desktop.run({"xdotool", "key", "Escape"});
        pause();
    }
}

void rightClickEach(const support::PrivateDesktop& desktop,
                    const std::vector<std::pair<int, int>>& points) {
    clickEach(desktop, 3, points);
}

void controlClick(const support::PrivateDesktop& desktop, std::pair<int, int> point) {
    desktop.run({"xdotool", "mousemove", std::to_string(point.first), std::to_string(point.second),
                 "keydown", "ctrl", "click", "1", "sleep", "0.3", "keyup", "ctrl"});
}

int rightClickToggles(const std::string& log) {
    int toggles = 0;
    const std::string line = "Toggled via right-click on menu bar";
    for (auto at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++toggles;
    return toggles;
}

bool waitForRightClickToggles(support::ChildProcess& tarnwick, int count) {
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (rightClickToggles(tarnwick.stderrText()) >= count) break;
        // Reads what the log has so far, waiting for text it never holds.
        tarnwick.waitForStderr("\x01", std::chrono::milliseconds(50));
    }
    return rightClickToggles(tarnwick.stderrText()) == count;
}

}  // namespace e2e
