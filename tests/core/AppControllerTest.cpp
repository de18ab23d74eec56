#include "core/AppController.h"

#include <gtest/gtest.h>

#include "core/AppDelegate.h"
#include "fakes/ProgramTest.h"
#include "kit/Application.h"
#include "kit/Label.h"
#include "kit/NotificationCenter.h"

namespace {

using fakes::FakePlatform;
using platform::PropertyArray;
using platform::PropertyDictionary;

class AppControllerTest : public fakes::ProgramTest {
protected:
    void storeGlobal(platform::PropertyValue value) {
        fake.preferences.store(FakePlatform::globalDomain, "_HIHideMenuBar", std::move(value));
    }
    void storeOwn(const std::string& key, platform::PropertyValue value) {
        fake.preferences.store(FakePlatform::appDomain, key, std::move(value));
    }
    std::string lastLine() { return fake.log.lines.empty() ? "" : fake.log.lines.back().message; }
};

TEST_F(AppControllerTest, AFreshLaunchIsAnAccessoryAppThatLogsItsState) {
    launch();
    EXPECT_EQ(fake.activation.policy(), platform::ActivationPolicy::accessory);
    EXPECT_EQ(lastLine(),
              "Tarnwick launched; auto-hide off, right-click toggle enabled, hotkey ⌃⌥⌘M, 0 app "
              "rule(s)");
    EXPECT_EQ(fake.log.lines.back().level, platform::LogLevel::defaultLevel);
    EXPECT_EQ(fake.log.lines.back().subsystem, "app.tarnwick.Tarnwick");
    EXPECT_EQ(fake.log.lines.back().category, "app");
}

TEST_F(AppControllerTest, TheLaunchLineReadsWhatIsStored) {
    storeGlobal(2);
    storeOwn("rightClickToggleEnabled", false);
    PropertyDictionary rule{{"bundleID", "com.example.a"}, {"autoHide", true}};
    PropertyDictionary broken{{"bundleID", "com.example.b"}};
    storeOwn("appRules", PropertyArray{rule, broken, rule});
    storeOwn("hotKey", PropertyDictionary{});
    launch();
    EXPECT_EQ(lastLine(),
              "Tarnwick launched; auto-hide on, right-click toggle disabled, hotkey off, 2 app "
              "rule(s)");
}

TEST_F(AppControllerTest, AutoHideStoredAsTextLaunchesOff) {
    storeGlobal("true");
    launch();
    EXPECT_NE(lastLine().find("auto-hide off,"), std::string::npos);
}

TEST_F(AppControllerTest, ToggleWritesTheOppositeAndNamesItsSource) {
    auto& controller = launch();
    controller.toggleAutoHide(AppController::sourceMenu);
    EXPECT_EQ(fake.preferences.stored(FakePlatform::globalDomain, "_HIHideMenuBar"),
              platform::PropertyValue(true));
    EXPECT_EQ(lastLine(), "Toggled via menu: auto-hide is now on");

    controller.toggleAutoHide(AppController::sourceHotKey);
    EXPECT_EQ(lastLine(), "Toggled via hotkey: auto-hide is now off");
    EXPECT_EQ(fake.notifications.postedCount("AppleInterfaceMenuBarHidingChangedNotification"),
              2u);
}

TEST_F(AppControllerTest, AFailedToggleStillNamesTheValueItTriedToWrite) {
    auto& controller = launch();
    fake.preferences.failingDomains.insert(FakePlatform::globalDomain);
    controller.toggleAutoHide(AppController::sourceRightClick);
    ASSERT_GE(fake.log.lines.size(), 2u);
    EXPECT_EQ(fake.log.lines[fake.log.lines.size() - 2].message,
              "Couldn't write the menu bar setting");
    EXPECT_EQ(lastLine(), "Toggled via right-click on menu bar: auto-hide is now on");
    EXPECT_EQ(fake.notifications.posted.size(), 0u);
}

TEST_F(AppControllerTest, TheRightClickDefaultIsRegisteredNotStored) {
    launch();
    EXPECT_EQ(fake.preferences.stored(FakePlatform::appDomain, "rightClickToggleEnabled"),
              std::nullopt);
}

TEST_F(AppControllerTest, TheRightClickMonitorFollowsTheStoredFlag) {
    auto& controller = launch();
    EXPECT_TRUE(controller.rightClickMonitor().isEnabled()) << "enabled by default, nothing stored";
    EXPECT_EQ(fake.globalEventMonitor.monitors.size(), 1u);
    int changes = 0;
    controller.stateDidChange = [&] { ++changes; };

    controller.setRightClickEnabled(true);
    EXPECT_EQ(fake.globalEventMonitor.installs, 1) << "the same value does not restart the monitor";
    EXPECT_EQ(fake.preferences.stored(FakePlatform::appDomain, "rightClickToggleEnabled"), platform::PropertyValue(true));
    controller.setRightClickEnabled(false);
    EXPECT_TRUE(fake.globalEventMonitor.monitors.empty());
    EXPECT_EQ(changes, 2);
}

// Whether the window shows a label with exactly this text.
bool shows(kit::Window& window, const std::string& text) {
    return window.contentView()->findView([&](const kit::View& view) {
        auto* label = dynamic_cast<const kit::Label*>(&view);
        return label && label->text() == text;
    }) != nullptr;
}

TEST_F(AppControllerTest, LaunchAtLoginRegistersAndARefusalIsExplainedInAnAlert) {
    auto& controller = launch();
    int changes = 0;
    controller.stateDidChange = [&] { ++changes; };
    controller.toggleLaunchAtLogin();
    EXPECT_EQ(fake.loginItems.currentStatus, platform::LoginItemStatus::enabled);
    controller.toggleLaunchAtLogin();
    EXPECT_EQ(fake.loginItems.currentStatus, platform::LoginItemStatus::notRegistered);
    EXPECT_EQ(changes, 2);

    fake.loginItems.nextError = platform::LoginItemError{"The operation couldn't be completed."};
    bool alertSeen = false;
    fake.runLoop.post([&] {
        auto* alert = app.modalWindow();
        ASSERT_NE(alert, nullptr);
        alertSeen = shows(*alert, "Couldn't change Launch at Login") &&
                    shows(*alert, "The operation couldn't be completed.\n\nThis usually means the app isn't in a "
                                  "permanent location yet. Move Tarnwick.app to /Applications (or run "
                                  "./build.sh install) and try again.");
        app.stopModal(1000);
    });
    controller.toggleLaunchAtLogin();
    EXPECT_TRUE(alertSeen);
    EXPECT_EQ(changes, 3) << "told before the alert, failure or not";
    EXPECT_EQ(fake.loginItems.currentStatus, platform::LoginItemStatus::notRegistered);
    EXPECT_TRUE(fake.activation.activatedIgnoringOthers);
}

// The main menu's key equivalents travel the responder chain.
class MainMenuTest : public AppControllerTest {
protected:
    struct Recorder : kit::Responder {
        explicit Recorder(std::string handles) : handles(std::move(handles)) {}
        bool tryToPerform(const kit::Action& action, kit::Responder*) override {
            if (action != handles) return false;
            performed.push_back(action);
            return true;
        }
        std::string handles;
        std::vector<std::string> performed;
    };
    bool press(const std::string& characters, std::uint64_t modifiers) {
        return app.performKeyEquivalent(characters, modifiers);
    }
    static constexpr std::uint64_t command = kit::KeyModifier::command;
    static constexpr std::uint64_t shift = kit::KeyModifier::shift;
};

TEST_F(MainMenuTest, HasTheThreeMenusWithTheirItemsInOrder) {
    auto menu = AppController::makeMainMenu();
    std::vector<std::string> titles;
    for (const auto& top : menu->items()) {
        titles.push_back(top->title());
        EXPECT_TRUE(top->action().empty());
        for (const auto& item : top->submenu()->items()) {
            titles.push_back(item->isSeparator() ? "-" : item->title() + " " + item->keyEquivalent());
        }
    }
    EXPECT_EQ(titles, (std::vector<std::string>{
                          "Tarnwick", "Settings\u2026 ,", "-", "Quit Tarnwick q", "Edit",
                          "Undo z", "Redo Z", "-", "Cut x", "Copy c", "Paste v", "Select All a",
                          "Window", "Close w"}));
    EXPECT_EQ(menu->items()[0]->submenu()->title(), "");
    EXPECT_EQ(menu->items()[1]->submenu()->title(), "Edit");
}

TEST_F(MainMenuTest, CommandQTerminatesThroughWillTerminate) {
    launch();
    int told = 0;
    auto observer = kit::NotificationCenter::defaultCenter().addObserver(
        kit::Application::willTerminateNotification, [&] { ++told; });
    EXPECT_TRUE(press("q", command));
    kit::NotificationCenter::defaultCenter().removeObserver(observer);
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(app.isTerminating());
    EXPECT_TRUE(fake.runLoop.isStopped());
}

TEST_F(MainMenuTest, EditActionsReachTheFocusedControlFirst) {
    launch();
    kit::Window window;
    Recorder field("copy:");
    window.makeFirstResponder(&field);
    app.setKeyWindow(&window);
    EXPECT_TRUE(press("c", command));
    EXPECT_EQ(field.performed, std::vector<std::string>{"copy:"});
    EXPECT_FALSE(press("v", command)) << "nobody in the chain pastes";
    app.setKeyWindow(nullptr);
}

TEST_F(MainMenuTest, ShiftSelectsRedoAndSettingsReachesTheDelegate) {
    launch();
    kit::Window window;
    Recorder undo("undo:");
    Recorder redo("redo:");
    undo.setNextResponder(&redo);
    window.makeFirstResponder(&undo);
    app.setKeyWindow(&window);
    EXPECT_TRUE(press("z", command | shift));
    EXPECT_TRUE(press("z", command));
    EXPECT_EQ(undo.performed, std::vector<std::string>{"undo:"});
    EXPECT_EQ(redo.performed, std::vector<std::string>{"redo:"});
    EXPECT_FALSE(press("z", shift)) << "a key equivalent needs its command key";
    EXPECT_TRUE(press(",", command)) << "the delegate handles showSettings:";
    app.setKeyWindow(nullptr);
}

TEST_F(MainMenuTest, ReopenAndSettingsBeforeLaunchDoNothing) {
    EXPECT_FALSE(delegate.applicationShouldHandleReopen(true));
    EXPECT_TRUE(delegate.tryToPerform("showSettings:", nullptr));
    EXPECT_EQ(delegate.controller(), nullptr);
    EXPECT_TRUE(fake.log.lines.empty());
}

}  // namespace
