#include <gtest/gtest.h>

#include <memory>

#include "fakes/FakePlatform.h"
#include "menubar/MenuBarHitTest.h"
#include "menubar/MenuBarRightClickMonitor.h"
#include "platform/ModifierFlags.h"

namespace {

using platform::GlobalMouseEvent;
namespace Flags = platform::ModifierFlags;

constexpr const char* installFailed = "Could not install the global mouse monitor";
constexpr int left = GlobalMouseEvent::leftMouseDown;
constexpr int right = GlobalMouseEvent::rightMouseDown;

// A menu bar across the one 1440 × 900 screen with a status item at x 1300–1330.
class MenuBarRightClickMonitorTest : public fakes::PlatformTest {
protected:
    void SetUp() override {
        MenuBarHitTest::resetLevelsForTesting();
        fake.windowList.addWindow(fakes::FakeWindowList::menuBarLevel + 1, 1300, 0, 30, 24,
                                  "Clock");
        fake.windowList.addWindow(fakes::FakeWindowList::menuBarLevel, 0, 0, 1440, 24,
                                  "Window Server");
    }
    // A press meant for another application, in the menu bar's band unless told.
    void press(int type, double x, std::uint64_t flags = 0, double y = 890) {
        fake.globalEventMonitor.press({type, flags, false, x, y});
    }

    int toggles = 0;
    std::unique_ptr<MenuBarRightClickMonitor> monitor =
        std::make_unique<MenuBarRightClickMonitor>([this] { ++toggles; });
};

TEST_F(MenuBarRightClickMonitorTest, RightClicksOnEmptyMenuBarToggleOnce) {
    monitor->setEnabled(true);
    press(right, 700);
    EXPECT_EQ(toggles, 1);
    press(right, 1310);
    press(right, 700, 0, 400);
    EXPECT_EQ(toggles, 1) << "the status item and the desktop below are left alone";
    press(right, 700, Flags::command);
    EXPECT_EQ(toggles, 2) << "other modifiers don't matter";
}

TEST_F(MenuBarRightClickMonitorTest, LeftClicksCountOnlyWithControl) {
    monitor->setEnabled(true);
    press(left, 700);
    press(left, 700, Flags::shift | Flags::option);
    EXPECT_EQ(toggles, 0);
    press(left, 700, Flags::control);
    EXPECT_EQ(toggles, 1);
    press(left, 700, Flags::control | Flags::shift);
    EXPECT_EQ(toggles, 2);
    press(left, 1310, Flags::control);
    EXPECT_EQ(toggles, 2);
}

TEST_F(MenuBarRightClickMonitorTest, APressOnOurOwnWindowIsPlacedWhereThePointerIs) {
    monitor->setEnabled(true);
    fake.globalEventMonitor.pointer = {700, 890};
    fake.globalEventMonitor.press({right, 0, true, 50, 50});
    EXPECT_EQ(toggles, 1);
    fake.globalEventMonitor.pointer = {700, 400};
    fake.globalEventMonitor.press({right, 0, true, 700, 890});
    EXPECT_EQ(toggles, 1);
}

TEST_F(MenuBarRightClickMonitorTest, OnlyAChangeOfEnabledInstallsOrRemoves) {
    EXPECT_FALSE(monitor->isEnabled());
    EXPECT_EQ(fake.globalEventMonitor.installs, 0);
    press(right, 700);
    EXPECT_EQ(toggles, 0);

    monitor->setEnabled(true);
    monitor->setEnabled(true);
    EXPECT_TRUE(monitor->isEnabled());
    EXPECT_EQ(fake.globalEventMonitor.installs, 1);
    ASSERT_EQ(fake.globalEventMonitor.monitors.size(), 1u);
    EXPECT_EQ(fake.globalEventMonitor.monitors.begin()->second.mask, 10u);

    monitor->setEnabled(false);
    monitor->setEnabled(false);
    EXPECT_FALSE(monitor->isEnabled());
    EXPECT_TRUE(fake.globalEventMonitor.monitors.empty());
    press(right, 700);
    EXPECT_EQ(toggles, 0);

    monitor->setEnabled(true);
    EXPECT_EQ(fake.globalEventMonitor.installs, 2);
}

TEST_F(MenuBarRightClickMonitorTest, AFailedInstallIsLoggedPerAttemptAndStaysInert) {
    fake.globalEventMonitor.failInstalling = true;
    monitor->setEnabled(true);
    monitor->setEnabled(true);
    EXPECT_TRUE(monitor->isEnabled());
    EXPECT_EQ(fake.log.count(installFailed), 1u);
    EXPECT_EQ(fake.log.lines.back().level, platform::LogLevel::error);

    monitor->setEnabled(false);
    monitor->setEnabled(true);
    EXPECT_EQ(fake.globalEventMonitor.installs, 2);
    EXPECT_EQ(fake.log.count(installFailed), 2u);

    fake.globalEventMonitor.failInstalling = false;
    press(right, 700);
    EXPECT_EQ(toggles, 0);
}

TEST_F(MenuBarRightClickMonitorTest, AGoneMonitorNeitherListensNorActs) {
    monitor->setEnabled(true);
    auto handler = fake.globalEventMonitor.monitors.begin()->second.handler;
    monitor.reset();
    EXPECT_TRUE(fake.globalEventMonitor.monitors.empty());
    // A platform that still delivers an event it had queued.
    handler({right, 0, false, 700, 890});
    EXPECT_EQ(toggles, 0);
}

}  // namespace
