// The window list against the real X server: another application's bar,
// window and pop-up come from the helper, as a panel and programs would.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/x11/X11WindowList.h"
#include "support/PrivateDesktop.h"
#include "support/Process.h"

// After GoogleTest, whose names Xlib's macros (None, Bool) would replace.
#include <X11/Xlib.h>

namespace {

namespace Keys = platform::WindowInfoKeys;

struct Entry {
    std::string owner;
    std::int64_t layer = -1;
    double x = 0, y = 0, width = 0, height = 0;
    double alpha = 0;  // to a thousandth
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& entry) {
    return out << entry.owner << " layer " << entry.layer << " at " << entry.x << "," << entry.y
               << " " << entry.width << "x" << entry.height << " alpha " << entry.alpha;
}

double number(const platform::PropertyDictionary& dictionary, const char* key) {
    auto* value = platform::find(dictionary, key);
    return value && value->real() ? *value->real() : NAN;
}

Entry entryFrom(const platform::PropertyDictionary& dictionary) {
    Entry entry;
    if (auto* owner = platform::find(dictionary, Keys::ownerName); owner && owner->text()) {
        entry.owner = *owner->text();
    }
    if (auto* layer = platform::find(dictionary, Keys::layer))
        entry.layer = layer->integer().value_or(-1);
    if (auto* bounds = platform::find(dictionary, Keys::bounds); bounds && bounds->dictionary()) {
        entry.x = number(*bounds->dictionary(), "X");
        entry.y = number(*bounds->dictionary(), "Y");
        entry.width = number(*bounds->dictionary(), "Width");
        entry.height = number(*bounds->dictionary(), "Height");
    }
    entry.alpha = std::round(number(dictionary, Keys::alpha) * 1000) / 1000;
    return entry;
}

// The helper's entries, front to back; other tests' windows are left out.
std::vector<Entry> helperWindowsIn(host::X11WindowList& windowList) {
    static const std::set<std::string> owners{"WindowServer", "TarnwickPanel", "TarnwickHelper",
                                              "TarnwickPopup"};
    auto info = windowList.copyWindowInfo();
    EXPECT_TRUE(info && info->array());
    std::vector<Entry> entries;
    if (!info || !info->array()) return entries;
    for (const auto& value : *info->array()) {
        auto* dictionary = value.dictionary();
        if (!dictionary) continue;
        Entry entry = entryFrom(*dictionary);
        if (owners.count(entry.owner)) entries.push_back(entry);
    }
    return entries;
}

class X11WindowListTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        ASSERT_TRUE(connection.available());
        helper = std::make_unique<support::ChildProcess>(
            std::vector<std::string>{HOST_TEST_HELPER, "window-stack"});
        ASSERT_TRUE(helper->waitForStdout("\n"));
        std::istringstream ready(helper->stdoutText());
        std::string word;
        ready >> word >> bar >> normal >> popUp;
        ASSERT_EQ(word, "ready");
        pointAt(900, 700);  // off the bar, which is looked into where the pointer is
    }
    void pointAt(int x, int y) {
        XWarpPointer(display(), 0, DefaultRootWindow(display()), 0, 0, 0, 0, x, y);
        XSync(display(), False);
    }

    std::vector<Entry> helperWindows() { return helperWindowsIn(windowList); }
    Display* display() { return connection.display(); }
    double screenWidth() { return DisplayWidth(display(), DefaultScreen(display())); }
    double screenHeight() { return DisplayHeight(display(), DefaultScreen(display())); }
    Entry menuBar() { return {"WindowServer", 24, 0, 0, screenWidth(), 24, 1}; }

    host::X11Connection connection;
    host::X11WindowList windowList{connection};
    std::unique_ptr<support::ChildProcess> helper;
    Window bar = 0, normal = 0, popUp = 0;
};

const Entry helperWindow{"TarnwickHelper", 0, 300, 300, 400, 250, 0.5};
const Entry helperPopUp{"TarnwickPopup", 101, 200, 0, 150, 20, 1};

TEST_F(X11WindowListTest, WindowsComeFrontToBackAndLeaveWhenUnmapped) {
    EXPECT_EQ(helperWindows(), (std::vector<Entry>{helperPopUp, helperWindow, menuBar()}));

    XRaiseWindow(display(), bar);
    XSync(display(), False);
    EXPECT_EQ(helperWindows(), (std::vector<Entry>{menuBar(), helperPopUp, helperWindow}));

    XUnmapWindow(display(), popUp);
    XSync(display(), False);
    EXPECT_EQ(helperWindows(), (std::vector<Entry>{menuBar(), helperWindow}));
}

TEST_F(X11WindowListTest, ADockIsTheMenuBarOnlyOnATopEdgeAcrossNineTenthsOfTheScreen) {
    auto barAs = [&](int y, int width) {
        XMoveResizeWindow(display(), bar, 0, y, static_cast<unsigned>(width), 24);
        XSync(display(), False);
        return helperWindows().back();
    };
    int nineTenths = static_cast<int>(std::ceil(screenWidth() * 0.9));
    Entry narrowest = barAs(0, nineTenths);
    EXPECT_EQ(narrowest.layer, 24);
    EXPECT_EQ(narrowest.owner, "WindowServer");
    // Too narrow, or not on the edge: a status item, under its own name.
    EXPECT_EQ(barAs(0, nineTenths - 1),
              (Entry{"TarnwickPanel", 25, 0, 0, nineTenths - 1.0, 24, 1}));
    EXPECT_EQ(barAs(1, static_cast<int>(screenWidth())).layer, 25);

    // Under the pointer, a bar that tells nothing of its items keeps its name.
    barAs(0, static_cast<int>(screenWidth()));
    pointAt(900, 10);
    EXPECT_EQ(helperWindows().back(), (Entry{"TarnwickPanel", 24, 0, 0, screenWidth(), 24, 1}));
}

TEST_F(X11WindowListTest, TheScreenHasItsOriginAtTheBottomLeftAndLevelsAreTheDesktops) {
    EXPECT_EQ(windowList.screens(),
              (std::vector<platform::ScreenRect>{{0, 0, screenWidth(), screenHeight()}}));
    EXPECT_EQ(windowList.windowLevel(platform::WindowLevelKey::mainMenu), 24);
    EXPECT_EQ(windowList.windowLevel(platform::WindowLevelKey::cursor), 2000);
}

// A window that names no class goes by its UTF-8 title, else by WM_NAME.
TEST_F(X11WindowListTest, AWindowWithoutAClassGoesByItsTitle) {
    Window window =
        XCreateSimpleWindow(display(), DefaultRootWindow(display()), 1000, 600, 120, 80, 0, 0, 0);
    XStoreName(display(), window, "TarnwickOldTitle");
    XMapWindow(display(), window);
    auto ownerWhenTitled = [&](const char* type, const std::string& title) {
        XChangeProperty(display(), window, XInternAtom(display(), "_NET_WM_NAME", False),
                        XInternAtom(display(), type, False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()),
                        static_cast<int>(title.size()));
        XSync(display(), False);
        auto info = windowList.copyWindowInfo();
        for (const auto& value :
             info && info->array() ? *info->array() : platform::PropertyArray{}) {
            Entry entry = value.dictionary() ? entryFrom(*value.dictionary()) : Entry{};
            if (entry.x == 1000 && entry.y == 600) return entry.owner;
        }
        return std::string("(not listed)");
    };
    EXPECT_EQ(ownerWhenTitled("UTF8_STRING", "Réglages ✓"), "Réglages ✓");
    EXPECT_EQ(ownerWhenTitled("UTF8_STRING", ""), "TarnwickOldTitle");
    EXPECT_EQ(ownerWhenTitled("STRING", "R\xE9glages"), "TarnwickOldTitle") << "not UTF-8";
    XDestroyWindow(display(), window);
    XSync(display(), False);
}

// On a server of its own, so no other test sees its monitors: the primary
// monitor right of another. Screens and windows alike count from the
// primary's corner, as the click point does.
TEST(X11WindowList, ScreensAndWindowsArePlacedFromThePrimaryMonitorWhereverItIs) {
    support::TemporaryDirectory home;
    support::PrivateDesktop desktop(home.path());
    ASSERT_TRUE(desktop.ready());
    desktop.run({"xrandr", "--setmonitor", "left", "640/169x800/211+0+0", "none"});
    desktop.run({"xrandr", "--setmonitor", "*right", "640/169x800/211+640+0", "screen"});
    auto helper = desktop.start({HOST_TEST_HELPER, "window-stack"});
    ASSERT_TRUE(helper->waitForStdout("ready"));
    host::X11Connection connection(desktop.display());
    host::X11WindowList windowList(connection);
    EXPECT_EQ(windowList.screens(),
              (std::vector<platform::ScreenRect>{{0, 0, 640, 800}, {-640, 0, 640, 800}}));
    // The bar spans both monitors from the left one's top edge.
    EXPECT_EQ(helperWindowsIn(windowList),
              (std::vector<Entry>{{"TarnwickPopup", 101, -440, 0, 150, 20, 1},
                                  {"TarnwickHelper", 0, -340, 300, 400, 250, 0.5},
                                  {"WindowServer", 24, -640, 0, 1280, 24, 1}}));
}

TEST(X11WindowList, WithoutADisplayThereAreNoScreensAndNoList) {
    host::X11Connection connection{":4095"};
    ASSERT_FALSE(connection.available());
    host::X11WindowList windowList{connection};
    EXPECT_TRUE(windowList.screens().empty());
    EXPECT_FALSE(windowList.copyWindowInfo());
}

TEST(X11WindowList, RootPointsFlipAboutThePrimaryMonitorsBottomEdge) {
    // A primary monitor to the right of and below the root's origin.
    host::RootRect primary{100, 50, 1280, 800};
    EXPECT_EQ(host::screenPointFromRoot(primary, 100, 850), (platform::ScreenPoint{0, 0}));
    EXPECT_EQ(host::screenPointFromRoot(primary, 600, 60), (platform::ScreenPoint{500, 790}));
    // A monitor above the primary one has positive y.
    EXPECT_EQ(host::screenPointFromRoot(primary, 0, 0), (platform::ScreenPoint{-100, 850}));
}

}  // namespace
