// The desktop-wide mouse monitor against the real X server: clicks made with
// xdotool over another application's windows, which still get them.

#include <glib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/x11/X11GlobalEventMonitor.h"
#include "platform/ModifierFlags.h"
#include "support/PrivateDesktop.h"
#include "support/Process.h"

// After GoogleTest, whose names Xlib's macros (None, Bool) would replace.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

using platform::GlobalMouseEvent;
using support::xdotool;

struct Press {
    int type = 0;
    std::uint64_t modifierFlags = 0;
    bool hasWindow = false;
    double x = 0, y = 0;
    bool operator==(const Press&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Press& press) {
    return out << "type " << press.type << " flags " << press.modifierFlags << " own "
               << press.hasWindow << " at " << press.x << "," << press.y;
}

using Presses = std::vector<Press>;

// Runs the main loop until `count` presses have arrived in `from` or
// `seconds` are up; answers those that came.
Presses take(Presses& from, std::size_t count, double seconds = 5) {
    gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(seconds * G_USEC_PER_SEC);
    while (from.size() < count && g_get_monotonic_time() < deadline) {
        if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
    }
    return std::exchange(from, {});
}

std::vector<int> typesOf(const Presses& presses) {
    std::vector<int> types;
    for (const auto& press : presses) types.push_back(press.type);
    return types;
}

class X11GlobalEventMonitorTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        ASSERT_TRUE(connection.available());
        helper = std::make_unique<support::ChildProcess>(
            std::vector<std::string>{HOST_TEST_HELPER, "window-stack"});
        ASSERT_TRUE(helper->waitForStdout("ready"));
    }

    platform::EventMonitorId install(std::uint64_t mask, Presses& into) {
        auto id = monitor.addGlobalMonitor(mask, [&into](const GlobalMouseEvent& event) {
            into.push_back({event.type, event.modifierFlags, event.hasWindow, event.x, event.y});
        });
        EXPECT_TRUE(id);
        return id.value_or(0);
    }
    double screenHeight() { return DisplayHeight(display(), DefaultScreen(display())); }
    Display* display() { return connection.display(); }

    host::X11Connection connection;
    host::X11GlobalEventMonitor monitor{connection};
    std::unique_ptr<support::ChildProcess> helper;
};

TEST_F(X11GlobalEventMonitorTest, ARightPressArrivesWithItsPlaceAndTheWindowStillGetsIt) {
    Presses all;
    install(GlobalMouseEvent::leftMouseDownMask | GlobalMouseEvent::rightMouseDownMask, all);
    // The middle button is no event of ours; the right one comes first.
    xdotool({"mousemove", "500", "10", "click", "2", "click", "3"});
    EXPECT_EQ(take(all, 1), (Presses{{3, 0, false, 500, screenHeight() - 10}}));
    EXPECT_TRUE(helper->waitForStdout("press TarnwickPanel 3")) << helper->stdoutText();
    EXPECT_EQ(monitor.mouseLocation(), (platform::ScreenPoint{500, screenHeight() - 10}));
}

TEST_F(X11GlobalEventMonitorTest, PressesGoToTheMasksThatAskForThemAndNoneAfterRemoval) {
    Presses all, rightOnly;
    auto allId =
        install(GlobalMouseEvent::leftMouseDownMask | GlobalMouseEvent::rightMouseDownMask, all);
    auto rightId = install(GlobalMouseEvent::rightMouseDownMask, rightOnly);
    // Control is let go only after the press has been handled; a locked
    // Caps Lock is no key held with the click.
    xdotool({"key", "Caps_Lock"});
    support::ChildProcess clicking({"xdotool", "mousemove", "400", "400", "keydown", "ctrl",
                                    "click", "1", "sleep", "1", "keyup", "ctrl"});
    EXPECT_EQ(take(all, 1),
              (Presses{{1, platform::ModifierFlags::control, false, 400, screenHeight() - 400}}));
    EXPECT_EQ(clicking.wait(), 0);
    xdotool({"key", "Caps_Lock"});
    EXPECT_TRUE(helper->waitForStdout("press TarnwickHelper 1")) << helper->stdoutText();

    xdotool({"click", "3"});
    EXPECT_EQ(take(rightOnly, 1).size(), 1u);
    EXPECT_EQ(take(all, 1).size(), 1u);

    monitor.removeMonitor(rightId);
    monitor.removeMonitor(allId);
    xdotool({"click", "1", "click", "3"});
    EXPECT_TRUE(helper->waitForStdout(
        "press TarnwickHelper 3\npress TarnwickHelper 1\npress TarnwickHelper 3"));
    EXPECT_EQ(take(all, 1, 0.3), Presses{});
    EXPECT_EQ(take(rightOnly, 1, 0.3), Presses{});
}

TEST_F(X11GlobalEventMonitorTest, APressOnAWindowOfThisProcessHasAWindow) {
    Window own =
        XCreateSimpleWindow(display(), connection.rootWindow(), 900, 400, 100, 100, 0, 0, 0);
    unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(display(), own, XInternAtom(display(), "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
    XMapWindow(display(), own);
    XSync(display(), False);
    Presses all;
    install(GlobalMouseEvent::leftMouseDownMask, all);
    // One click at a time: the place is read when the press is handled.
    xdotool({"mousemove", "950", "450", "click", "1"});
    EXPECT_EQ(take(all, 1), (Presses{{1, 0, true, 950, screenHeight() - 450}}));
    xdotool({"mousemove", "400", "400", "click", "1"});  // the helper's window
    EXPECT_EQ(take(all, 1), (Presses{{1, 0, false, 400, screenHeight() - 400}}));
    XDestroyWindow(display(), own);
    XSync(display(), False);
}

// A left-handed mouse, on a server of its own so no other test's clicks are
// swapped: the press of physical button 1 is a right-click, and the map is
// followed while the monitor listens.
TEST(X11GlobalEventMonitor, PressesAreTheLogicalButtonsOfThePointersMap) {
    support::TemporaryDirectory home;
    support::PrivateDesktop desktop(home.path());
    ASSERT_TRUE(desktop.ready());
    host::X11Connection connection(desktop.display());
    host::X11GlobalEventMonitor monitor(connection);
    Presses all;
    ASSERT_TRUE(monitor.addGlobalMonitor(
        GlobalMouseEvent::leftMouseDownMask | GlobalMouseEvent::rightMouseDownMask,
        [&all](const GlobalMouseEvent& event) { all.push_back({event.type}); }));
    desktop.run({"xdotool", "click", "1", "click", "3"});
    EXPECT_EQ(typesOf(take(all, 2)), (std::vector<int>{1, 3}));

    desktop.run({"xmodmap", "-e", "pointer = 3 2 1"});
    desktop.run({"xdotool", "click", "1", "click", "3"});
    EXPECT_EQ(typesOf(take(all, 2)), (std::vector<int>{3, 1}));
    // A button switched off presses nothing.
    desktop.run({"xmodmap", "-e", "pointer = 0 2 3"});
    desktop.run({"xdotool", "click", "1", "click", "3"});
    EXPECT_EQ(typesOf(take(all, 2, 0.5)), (std::vector<int>{3}));
}

TEST(X11GlobalEventMonitor, WithoutADisplayNothingIsInstalled) {
    host::X11Connection connection{":4095"};
    ASSERT_FALSE(connection.available());
    host::X11GlobalEventMonitor monitor{connection};
    EXPECT_FALSE(monitor.addGlobalMonitor(GlobalMouseEvent::leftMouseDownMask, [](auto&) {}));
    EXPECT_EQ(monitor.mouseLocation(), (platform::ScreenPoint{0, 0}));
}

}  // namespace
