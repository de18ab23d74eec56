#include <gtest/gtest.h>

#include "core/AppController.h"
#include "core/AppDelegate.h"
#include "fakes/ProgramTest.h"
#include "housekeeping/Support.h"
#include "kit/Application.h"
#include "menubar/StatusItemController.h"
#include "prefs/MenuBarAutoHide.h"
#include "shortcuts/SystemShortcuts.h"

namespace {

using fakes::FakePlatform;
using Entry = platform::StatusMenuEntry;
namespace Mod = platform::ModifierFlags;


class StatusItemControllerTest : public fakes::ProgramTest {
protected:
    StatusItemController& statusItem() { return delegate.controller()->statusItemController(); }
    void storeIconStyle(const std::string& raw) {
        fake.preferences.store(FakePlatform::appDomain, "iconStyle", raw);
    }
    void storeAutoHide(bool on) {
        fake.preferences.store(FakePlatform::globalDomain, "_HIHideMenuBar", on);
    }
    // Another process changes the setting and says so.
    void changeAutoHideElsewhere(bool on) {
        storeAutoHide(on);
        fake.notifications.receive(MenuBarAutoHide::changedNotification);
        fake.runLoop.advance(0);
    }

    std::string shownSymbol() {
        const auto& image = statusItem().statusItem().button().image();
        return image ? image->symbolName() : "";
    }
    fakes::FakeStatusBar::Item& panel() { return fake.statusBar.only(); }
    const Entry& entry(const std::string& label) { return panel().entry(label); }
    std::string lastLine() { return fake.log.lines.empty() ? "" : fake.log.lines.back().message; }
};

TEST_F(StatusItemControllerTest, TheIconFollowsAChangeMadeElsewhereWithoutOpeningTheMenu) {
    storeIconStyle("chevrons");
    storeAutoHide(true);
    launch();
    EXPECT_EQ(shownSymbol(), "chevron.up");
    EXPECT_EQ(statusItem().statusItem().button().image()->accessibilityDescription(),
              "Menu bar auto-hide is on");
    EXPECT_EQ(panel().toolTip, "Menu bar auto-hide is on");
    EXPECT_EQ(panel().title, "");
    EXPECT_EQ(entry("Auto-hide Menu Bar").toggleState, 1);
    auto hiddenIcon = panel().icon;
    ASSERT_FALSE(hiddenIcon.empty());

    int opened = panel().menuUpdates;
    changeAutoHideElsewhere(false);
    EXPECT_EQ(shownSymbol(), "chevron.down");
    EXPECT_EQ(panel().toolTip, "Menu bar auto-hide is off");
    EXPECT_NE(panel().icon, hiddenIcon);
    EXPECT_EQ(entry("Auto-hide Menu Bar").toggleState, 0) << "the panel's copy is fresh too";
    EXPECT_EQ(panel().menuUpdates, opened + 1);

    changeAutoHideElsewhere(false);
    EXPECT_EQ(panel().menuUpdates, opened + 1) << "nothing changed, nothing sent";
}

TEST_F(StatusItemControllerTest, AStyleThatIsNotARawValueShowsTheMenuBarSymbols) {
    storeIconStyle("Chevrons");
    launch();
    EXPECT_EQ(shownSymbol(), "menubar.rectangle");
    changeAutoHideElsewhere(true);
    EXPECT_EQ(shownSymbol(), "menubar.arrow.up.rectangle");
    EXPECT_EQ(fake.preferences.stored(FakePlatform::appDomain, "iconStyle"),
              platform::PropertyValue("Chevrons"))
        << "left as it was";
}

TEST_F(StatusItemControllerTest, AMissingSymbolFallsBackToTheMenuBarStyleThenToAnArrow) {
    auto onlyMenuBar = [](StatusIconStyle style, bool on) -> std::optional<kit::Image> {
        if (style != StatusIconStyle::menuBar) return std::nullopt;
        return StatusIconStyles::image(style, on);
    };
    auto content = StatusItemController::buttonContent(StatusIconStyle::eye, true, onlyMenuBar);
    ASSERT_TRUE(content.image);
    EXPECT_EQ(content.image->symbolName(), "menubar.arrow.up.rectangle");
    EXPECT_EQ(content.title, "");

    auto none = [](StatusIconStyle, bool) -> std::optional<kit::Image> { return std::nullopt; };
    EXPECT_EQ(StatusItemController::buttonContent(StatusIconStyle::pin, true, none),
              (StatusItemController::ButtonContent{std::nullopt, "\u25B2"}));
    EXPECT_EQ(StatusItemController::buttonContent(StatusIconStyle::pin, false, none),
              (StatusItemController::ButtonContent{std::nullopt, "\u25BC"}));

    for (auto style : StatusIconStyles::all) {
        EXPECT_TRUE(StatusItemController::buttonContent(style, true).image)
            << StatusIconStyles::rawValue(style);
    }
}

TEST_F(StatusItemControllerTest, TheMenuHoldsItsItemsInOrder) {
    launch();
    std::vector<std::string> labels;
    for (const auto& child : panel().menu.children)
        labels.push_back(child.kind == Entry::Kind::separator ? "-" : child.label);
    EXPECT_EQ(labels,
              (std::vector<std::string>{"Auto-hide Menu Bar", "-", "Right-click Menu Bar to Toggle",
                                        "Launch at Login", "-", "Settings\u2026", "Support\u2026",
                                        "Check for Updates\u2026", "Quit Tarnwick"}));
    EXPECT_EQ(entry("Right-click Menu Bar to Toggle").toolTip,
              "Control-click works too. Clicks on status items and open menus are left alone.");
    // Their key equivalents work only in our own windows, not in the panel.
    EXPECT_TRUE(entry("Settings\u2026").shortcut.empty());
    EXPECT_TRUE(entry("Quit Tarnwick").shortcut.empty());
}

TEST_F(StatusItemControllerTest, AutoHideMenuBarFlipsTheSettingAndItsCheckMarkAtOnce) {
    launch();
    ASSERT_TRUE(fake.statusBar.click("Auto-hide Menu Bar"));
    EXPECT_EQ(fake.preferences.stored(FakePlatform::globalDomain, "_HIHideMenuBar"),
              platform::PropertyValue(true));
    EXPECT_EQ(lastLine(), "Toggled via menu: auto-hide is now on");
    EXPECT_EQ(entry("Auto-hide Menu Bar").toggleState, 1);
    EXPECT_EQ(panel().toolTip, "Menu bar auto-hide is on");

    ASSERT_TRUE(fake.statusBar.click("Auto-hide Menu Bar"));
    EXPECT_EQ(lastLine(), "Toggled via menu: auto-hide is now off");
    EXPECT_EQ(entry("Auto-hide Menu Bar").toggleState, 0);
}

TEST_F(StatusItemControllerTest, RightClickTogglesTheMonitorBothWays) {
    auto& controller = launch();
    ASSERT_TRUE(controller.rightClickMonitor().isEnabled());
    fake.statusBar.openMenu();
    EXPECT_EQ(entry("Right-click Menu Bar to Toggle").toggleState, 1);

    ASSERT_TRUE(fake.statusBar.click("Right-click Menu Bar to Toggle"));
    EXPECT_FALSE(controller.rightClickMonitor().isEnabled());
    EXPECT_EQ(fake.preferences.stored(FakePlatform::appDomain, "rightClickToggleEnabled"),
              platform::PropertyValue(false));
    EXPECT_EQ(entry("Right-click Menu Bar to Toggle").toggleState, 0);

    ASSERT_TRUE(fake.statusBar.click("Right-click Menu Bar to Toggle"));
    EXPECT_TRUE(controller.rightClickMonitor().isEnabled());
    EXPECT_EQ(fake.globalEventMonitor.monitors.size(), 1u);
}

TEST_F(StatusItemControllerTest, LaunchAtLoginShowsTheServicesStatusEachTimeTheMenuOpens) {
    launch();
    fake.loginItems.currentStatus = platform::LoginItemStatus::requiresApproval;
    fake.statusBar.openMenu();
    EXPECT_EQ(entry("Launch at Login").toggleState, -1);
    EXPECT_EQ(entry("Launch at Login").toolTip,
              "Waiting for approval in System Settings \u203A General \u203A Login Items");

    fake.loginItems.currentStatus = platform::LoginItemStatus::enabled;
    fake.statusBar.openMenu();
    EXPECT_EQ(entry("Launch at Login").toggleState, 1);
    EXPECT_EQ(entry("Launch at Login").toolTip, "");

    fake.loginItems.currentStatus = platform::LoginItemStatus::notFound;
    fake.statusBar.openMenu();
    EXPECT_EQ(entry("Launch at Login").toggleState, 0);

    ASSERT_TRUE(fake.statusBar.click("Launch at Login"));
    EXPECT_EQ(fake.loginItems.currentStatus, platform::LoginItemStatus::enabled);
}

TEST_F(StatusItemControllerTest, TheActiveShortcutShowsOnAutoHideMenuBar) {
    auto& controller = launch();
    auto& item = statusItem().autoHideItem();
    EXPECT_EQ(item.keyEquivalent(), "m") << "the default ⌃⌥⌘M";
    EXPECT_EQ(item.keyEquivalentModifierMask(), Mod::control | Mod::option | Mod::command);
    EXPECT_EQ(entry("Auto-hide Menu Bar").shortcut,
              (std::vector<std::string>{"Control", "Alt", "Super", "m"}));
    EXPECT_EQ(item.action(), StatusItemController::toggleAutoHideAction);

    // The item follows a layout switch; a layout that types nothing on the
    // key leaves no text to show.
    fake.keyboardLayout.keys.erase(46);
    fake.keyboardLayout.announceChange();
    EXPECT_EQ(item.keyEquivalent(), "");
    EXPECT_EQ(item.keyEquivalentModifierMask(), 0u);
    fake.keyboardLayout.useUS();
    fake.keyboardLayout.announceChange();
    EXPECT_EQ(entry("Auto-hide Menu Bar").shortcut,
              (std::vector<std::string>{"Control", "Alt", "Super", "m"}));

    EXPECT_EQ(controller.setHotKey(std::nullopt), std::nullopt);
    EXPECT_EQ(item.keyEquivalent(), "");
    EXPECT_EQ(item.keyEquivalentModifierMask(), 0u);
    EXPECT_TRUE(entry("Auto-hide Menu Bar").shortcut.empty());
}

TEST_F(StatusItemControllerTest, AnInactiveShortcutIsNotShown) {
    // ⌘Space belongs to the system.
    fake.symbolicHotKeys.answerWith(SystemShortcuts::factorySymbolicHotKeys(26));
    fake.preferences.store(FakePlatform::appDomain, "hotKey",
                           platform::PropertyDictionary{{"keyCode", 49}, {"modifiers", 1048576}});
    auto& controller = launch();
    ASSERT_TRUE(std::holds_alternative<HotKeyStates::Inactive>(controller.hotKeyState()));
    EXPECT_EQ(statusItem().autoHideItem().keyEquivalent(), "");
    EXPECT_EQ(statusItem().autoHideItem().keyEquivalentModifierMask(), 0u);
}

TEST_F(StatusItemControllerTest, HousekeepingItemsOpenTheirPagesAndQuit) {
    launch();
    fake.workspace.openedURLs.clear();
    ASSERT_TRUE(fake.statusBar.click("Support\u2026"));
    ASSERT_TRUE(fake.statusBar.click("Check for Updates\u2026"));
    EXPECT_EQ(fake.workspace.openedURLs,
              (std::vector<std::string>{Support::website(), Support::updatePage()}));

    EXPECT_FALSE(app.isTerminating());
    ASSERT_TRUE(fake.statusBar.click("Quit Tarnwick"));
    EXPECT_TRUE(app.isTerminating());
}

}  // namespace
