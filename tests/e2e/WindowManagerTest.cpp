// The settings window under real window managers: dragged by its title bar
// twice, it goes where the pointer takes it, and its pop-up opens under the
// control afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "Tarnwick.h"
#include "e2e/PanelWindows.h"
#include "e2e/SettingsSpots.h"
#include "support/PrivateDesktop.h"
#include "support/Process.h"

// Last: Xlib's macros (None, Bool, ...) would clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

struct Point {
    int x = 0, y = 0;
};

// Reads the desktop's windows as another client does.
class Screen {
public:
    explicit Screen(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}
    ~Screen() {
        if (display_) XCloseDisplay(display_);
    }
    Point origin(unsigned long window) {
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
        return {x, y};
    }
    // The window's _NET_WM_STATE, as the window manager keeps it.
    std::vector<std::string> states(unsigned long window) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                           &type, &format, &count, &after, &data);
        std::vector<std::string> names;
        for (unsigned long i = 0; data && format == 32 && i < count; ++i) {
            char* name = XGetAtomName(display_, reinterpret_cast<Atom*>(data)[i]);
            names.push_back(name);
            XFree(name);
        }
        if (data) XFree(data);
        return names;
    }
    // _NET_WM_ICON: per size its width, height and straight ARGB pixels.
    std::vector<unsigned long> icon(unsigned long window) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_ICON", False), 0, 1 << 20, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data);
        std::vector<unsigned long> values;
        // Xlib widens each 32-bit item to a long, sign and all.
        for (unsigned long i = 0; data && format == 32 && i < count; ++i)
            values.push_back(reinterpret_cast<unsigned long*>(data)[i] & 0xffffffffUL);
        if (data) XFree(data);
        return values;
    }
private:
    Display* display_;
};

class WindowManagerTest : public ::testing::TestWithParam<std::vector<std::string>> {
protected:
    void SetUp() override {
        if (!support::installed(GetParam().front())) GTEST_SKIP() << "needs " << GetParam().front();
        desktop = std::make_unique<support::PrivateDesktop>(home.path());
        ASSERT_TRUE(desktop->ready());
        manager = desktop->start(GetParam());
        screen = std::make_unique<Screen>(desktop->display());
        ASSERT_TRUE(desktop->waitForWindowManager()) << manager->stderrText();
        tarnwick = e2e::launch(home.path(), desktop->environment());
        ASSERT_TRUE(tarnwick->waitForStderr("Settings window shown")) << tarnwick->stderrText();
        std::istringstream ids(
            desktop->run({"xdotool", "search", "--name", "^Tarnwick Settings$"}));
        ids >> window;
        ASSERT_NE(window, 0u);
    }

    // Presses on the title bar and moves the pointer by (dx, dy) in steps,
    // as a hand does; the window manager takes over the move.
    void drag(int dx, int dy) {
        auto id = std::to_string(window);
        desktop->run({"xdotool", "mousemove", "--window", id, "200", "12", "mousedown", "1"});
        for (int step = 1; step <= 6; ++step) {
            desktop->run({"xdotool", "mousemove_relative", "--", std::to_string(dx / 6),
                          std::to_string(dy / 6)});
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        desktop->run({"xdotool", "mouseup", "1"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }

    support::TemporaryDirectory home;
    std::unique_ptr<support::PrivateDesktop> desktop;
    std::unique_ptr<support::ChildProcess> manager;
    std::unique_ptr<support::ChildProcess> tarnwick;
    std::unique_ptr<Screen> screen;
    unsigned long window = 0;
};

TEST_P(WindowManagerTest, TheSettingsWindowStaysOutOfTaskListsFollowsDragsAndOpensPopUpsInPlace) {
    // Tarnwick has no Dock icon: its window stays out of task lists.
    auto states = screen->states(window);
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR"), states.end());
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_PAGER"), states.end());
    // Its icon: a 16-pixel size first, opaque in the middle and clear at the corner.
    auto icon = screen->icon(window);
    ASSERT_GE(icon.size(), 2u + 16 * 16);
    EXPECT_EQ(icon[0], 16u);
    EXPECT_EQ(icon[1], 16u);
    EXPECT_EQ(icon[2 + 8 * 16 + 8] >> 24, 0xffu);
    EXPECT_EQ(icon[2] >> 24, 0u);

    // Each drag moves the window at most as far as the pointer went, in its
    // direction: a window that jumps went further.
    for (auto [dx, dy] : {std::pair{120, 80}, std::pair{-80, 100}}) {
        Point before = screen->origin(window);
        drag(dx, dy);
        Point after = screen->origin(window);
        EXPECT_NE(after.x, before.x) << "the window did not move";
        EXPECT_LE(std::abs(after.x - before.x), std::abs(dx));
        EXPECT_LE(std::abs(after.y - before.y), std::abs(dy));
        EXPECT_GE((after.x - before.x) * dx, 0);
        EXPECT_GE((after.y - before.y) * dy, 0);
    }

    kit::Rect spot = e2e::settingsWindowSpots().iconPopUp;
    desktop->run({"xdotool", "mousemove", "--window", std::to_string(window),
                  std::to_string(int(spot.midX())), std::to_string(int(spot.midY())), "click",
                  "1"});
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    auto menu = e2e::tarnwickMenu(desktop->display());
    ASSERT_TRUE(menu.has_value()) << "no pop-up menu opened";
    Point origin = screen->origin(window);
    // The menu opens over the button, its current item on the button's line.
    EXPECT_NEAR(menu->x, origin.x + spot.origin.x, 40);
    EXPECT_LE(std::abs(menu->y - (origin.y + int(spot.origin.y))), 200);
    desktop->run({"xdotool", "key", "Escape"});
}

INSTANTIATE_TEST_SUITE_P(RealManagers, WindowManagerTest,
                         ::testing::Values(std::vector<std::string>{"xfwm4", "--compositor=off"},
                                           std::vector<std::string>{"openbox"}),
                         [](const auto& info) { return info.param.front(); });

}  // namespace
