#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "menubar/MenuBarHitTest.h"

namespace {

using fakes::FakeWindowList;
using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;
namespace Keys = platform::WindowInfoKeys;

constexpr int menuBar = FakeWindowList::menuBarLevel;
constexpr int cursor = FakeWindowList::cursorLevel;

// One 1440 × 900 screen; window-list y runs down from its top, so the menu
// bar is the band 0 ≤ y < 24 and a click at screen y 890 lands in it.
class MenuBarHitTestTest : public fakes::PlatformTest {
protected:
    void SetUp() override { MenuBarHitTest::resetLevelsForTesting(); }

    void addMenuBar(std::string owner = "Window Server") {
        fake.windowList.addWindow(menuBar, 0, 0, 1440, 24, std::move(owner));
    }
    void addEntry(PropertyValue entry) {
        auto list = *fake.windowList.windows->array();
        list.push_back(std::move(entry));
        fake.windowList.windows = PropertyValue(std::move(list));
    }
    // A window that would decide "covered" at the click, were it read.
    static PropertyDictionary coveringWindow() {
        return {{Keys::layer, 0},
                {Keys::bounds,
                 PropertyDictionary{{"X", 0}, {"Y", 0}, {"Width", 1440}, {"Height", 900}}},
                {Keys::ownerName, "Editor"}};
    }
    bool clickAt(double x, double y = 890) { return MenuBarHitTest::isOnMenuBar({x, y}); }
};

TEST_F(MenuBarHitTestTest, TheMenuBarIsTheWindowServersWindowAtItsLevel) {
    for (const char* owner : {"WindowServer", "Window Server", "windowserver", "WINDOW SERVER "}) {
        fake.windowList.windows = PropertyValue(PropertyArray{});
        addMenuBar(owner);
        EXPECT_TRUE(clickAt(700)) << owner;
    }
    for (const char* owner : {"Window_Server", "WindowServerHelper", "Window", ""}) {
        fake.windowList.windows = PropertyValue(PropertyArray{});
        addMenuBar(owner);
        EXPECT_FALSE(clickAt(700)) << owner;
        addMenuBar();
        EXPECT_TRUE(clickAt(700)) << "another owner's bar is passed over: " << owner;
    }
}

TEST_F(MenuBarHitTestTest, NarrowWindowsAboveTheMenuBarHideItThere) {
    fake.windowList.addWindow(menuBar + 1, 1300, 0, 30, 24, "Clock");    // status item
    fake.windowList.addWindow(cursor - 1, 100, 20, 200, 300, "Finder");  // open menu
    fake.windowList.addWindow(cursor, 690, 0, 20, 20, "Overlay");        // never decides
    addMenuBar();

    EXPECT_FALSE(clickAt(1310));
    EXPECT_FALSE(clickAt(150, 878));
    EXPECT_TRUE(clickAt(150, 881)) << "above the menu's top edge";
    EXPECT_TRUE(clickAt(700)) << "a window at cursor level is passed over";
    EXPECT_TRUE(clickAt(1330)) << "the status item's right edge is not part of it";
}

TEST_F(MenuBarHitTestTest, WindowsAboveTheMenuBarAtNineTenthsOfAScreenWideArePassedOver) {
    fake.windowList.addWindow(menuBar + 1, 0, 0, 1296, 24, "Backdrop");
    addMenuBar();
    EXPECT_TRUE(clickAt(700));

    fake.windowList.windows = PropertyValue(PropertyArray{});
    fake.windowList.addWindow(menuBar + 1, 0, 0, 1281.6, 24, "Banner");
    addMenuBar();
    EXPECT_FALSE(clickAt(700));

    // Wide enough for a smaller second screen counts too.
    fake.windowList.screenList.push_back({1440, 0, 1400, 800});
    EXPECT_TRUE(clickAt(700));
}

TEST_F(MenuBarHitTestTest, InvisibleWindowsArePassedOverAndOrdinaryOnesCover) {
    fake.windowList.addWindow(0, 0, 0, 800, 600, "Ghost", 0);
    fake.windowList.addWindow(0, 900, 0, 300, 600, "Editor");
    addMenuBar();
    EXPECT_TRUE(clickAt(700));
    EXPECT_FALSE(clickAt(1000));
    EXPECT_FALSE(clickAt(700, 10)) << "below the menu bar nothing decides";

    PropertyDictionary noAlpha = coveringWindow();
    fake.windowList.windows = PropertyValue(PropertyArray{noAlpha});
    addMenuBar();
    EXPECT_FALSE(clickAt(700)) << "a missing alpha does not make a window invisible";
}

TEST_F(MenuBarHitTestTest, FlipsWithThePrimaryScreensTop) {
    // A taller screen to the right; its menu bar is 300 points above the primary's top.
    fake.windowList.screenList.push_back({1440, 0, 1920, 1200});
    addMenuBar();
    fake.windowList.addWindow(menuBar, 1440, -300, 1920, 24, "WindowServer");

    EXPECT_TRUE(clickAt(2000, 1190));
    EXPECT_FALSE(clickAt(2000, 890));
    EXPECT_TRUE(clickAt(0, 900)) << "the bar's top edge belongs to it";
    EXPECT_FALSE(clickAt(0, 876)) << "its bottom edge does not";
}

TEST_F(MenuBarHitTestTest, AnswersFalseWithoutScreensOrAUsableWindowList) {
    addMenuBar();
    auto windows = fake.windowList.windows;

    fake.windowList.screenList.clear();
    EXPECT_FALSE(clickAt(700));
    fake.windowList.screenList = {{0, 0, 1440, 900}};

    fake.windowList.windows = std::nullopt;
    EXPECT_FALSE(clickAt(700));
    fake.windowList.windows = PropertyValue(PropertyDictionary{});
    EXPECT_FALSE(clickAt(700));

    fake.windowList.windows = windows;
    addEntry(PropertyValue("not a window"));
    EXPECT_FALSE(clickAt(700)) << "one stray element spoils the whole list";
}

TEST_F(MenuBarHitTestTest, MalformedEntriesAreSkipped) {
    auto with = [](const char* key, PropertyValue value) {
        auto entry = coveringWindow();
        entry.insert_or_assign(key, std::move(value));
        return entry;
    };
    auto withBounds = [&](PropertyDictionary bounds) { return with(Keys::bounds, bounds); };
    auto entry = coveringWindow();
    entry.erase(Keys::layer);
    addEntry(entry);
    addEntry(with(Keys::layer, "0"));
    addEntry(with(Keys::layer, 0.0));
    addEntry(with(Keys::layer, false));
    entry = coveringWindow();
    entry.erase(Keys::bounds);
    addEntry(entry);
    addEntry(with(Keys::bounds, PropertyArray{0, 0, 1440, 900}));
    addEntry(withBounds({{"X", 0}, {"Y", 0}, {"Width", 1440}}));
    addEntry(withBounds({{"X", "0"}, {"Y", 0}, {"Width", 1440}, {"Height", 900}}));
    addEntry(withBounds({{"X", true}, {"Y", 0}, {"Width", 1440}, {"Height", 900}}));
    addEntry(with(Keys::alpha, 0));
    auto levelWithoutOwner = with(Keys::layer, menuBar);
    levelWithoutOwner.insert_or_assign(Keys::ownerName, 7);
    addEntry(levelWithoutOwner);
    addMenuBar();
    EXPECT_TRUE(clickAt(700));

    // Reals and integers alike are numbers in bounds, and a negative size
    // reaches the other way.
    fake.windowList.windows = PropertyValue(
        PropertyArray{withBounds({{"X", 1440.0}, {"Y", 24}, {"Width", -1440}, {"Height", -24.0}})});
    addMenuBar();
    EXPECT_FALSE(clickAt(700));
}

}  // namespace
