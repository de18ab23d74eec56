#include <gtest/gtest.h>

#include "core/AppController.h"
#include "core/AppDelegate.h"
#include "fakes/ProgramTest.h"
#include "fakes/Modifiers.h"
#include "kit/Application.h"
#include "shortcuts/SystemShortcuts.h"

namespace {

using namespace fakes::modifiers;
using fakes::FakePlatform;
using platform::PropertyDictionary;
using platform::PropertyValue;

constexpr std::uint64_t controlOptionCommand = control | option | command;
constexpr std::uint32_t carbonControlOptionCommand = 0x1900;

constexpr HotKey controlOptionCommandM{46, controlOptionCommand};
constexpr HotKey controlOptionCommandB{11, controlOptionCommand};
constexpr HotKey controlOptionCommandK{40, controlOptionCommand};
constexpr HotKey commandSpace{49, command};

const std::string spotlightMessage =
    "Taken by macOS: Show Spotlight search. Disable it in System Settings › Keyboard › Keyboard "
    "Shortcuts to use it here.";

// A machine as it comes: the system's factory shortcuts, no Services ones.
class AppControllerHotKeyTest : public fakes::ProgramTest {
protected:
    AppControllerHotKeyTest() {
        fake.symbolicHotKeys.answerWith(SystemShortcuts::factorySymbolicHotKeys(26));
    }
    AppController& launch() {
        auto& controller = ProgramTest::launch();
        controller.stateDidChange = [this] { ++stateChanges; };
        return controller;
    }
    void storeHotKey(PropertyValue value) {
        fake.preferences.store(FakePlatform::appDomain, "hotKey", std::move(value));
    }
    std::optional<PropertyValue> storedHotKey() {
        return fake.preferences.stored(FakePlatform::appDomain, "hotKey");
    }
    void takeAll() {
        for (const HotKey& candidate : HotKey::defaultCandidates()) {
            fake.globalHotKeys.heldElsewhere.insert({candidate.keyCode, candidate.carbonModifiers()});
        }
    }
    bool registered(const HotKey& hotKey) {
        return fake.globalHotKeys.isRegistered(hotKey.keyCode, hotKey.carbonModifiers());
    }
    std::string lastLine() { return fake.log.lines.back().message; }

    int stateChanges = 0;
};

TEST_F(AppControllerHotKeyTest, FirstLaunchChoosesTheFirstFreeCandidateAndStoresIt) {
    fake.globalHotKeys.heldElsewhere.insert({46, carbonControlOptionCommand});
    auto& controller = launch();
    EXPECT_EQ(fake.log.messages(), (std::vector<std::string>{
                                       "Default candidate ⌃⌥⌘M skipped: Taken by another app's global shortcut.",
                                       "Chose default hotkey ⌃⌥⌘B",
                                       "Tarnwick launched; auto-hide off, right-click toggle enabled, "
                                       "hotkey ⌃⌥⌘B, 0 app rule(s)",
                                   }));
    EXPECT_EQ(storedHotKey(), PropertyValue(PropertyDictionary{{"keyCode", 11}, {"modifiers", 1835008}}));
    EXPECT_EQ(controller.hotKeyState(), HotKeyState(HotKeyStates::Active{controlOptionCommandB}));

    // The chosen shortcut toggles the menu bar.
    EXPECT_TRUE(fake.globalHotKeys.press(11, carbonControlOptionCommand));
    EXPECT_EQ(lastLine(), "Toggled via hotkey: auto-hide is now on");
}

TEST_F(AppControllerHotKeyTest, WhenEveryCandidateIsTakenNothingIsStored) {
    takeAll();
    auto& controller = launch();
    std::size_t skipped = 0;
    for (const auto& message : fake.log.messages()) skipped += message.starts_with("Default candidate ");
    EXPECT_EQ(skipped, 6u);
    EXPECT_EQ(controller.hotKeyState(),
              HotKeyState(HotKeyStates::Inactive{{32, controlOptionCommand}, "Taken by another app's global shortcut."}));
    EXPECT_EQ(controller.hotKeyDescription(), "⌃⌥⌘U (inactive)");
    EXPECT_EQ(storedHotKey(), std::nullopt) << "the next launch tries again";
}

TEST_F(AppControllerHotKeyTest, ServicesShortcutsCountUnlessTheMachineIsToLookStandard) {
    fake.preferences.store("pbs", "NSServicesStatus",
                           PropertyDictionary{{"JotterApp - Make Note - makeNote",
                                               PropertyDictionary{{"key_equivalent", "@~^m"}}}});
    launch();
    EXPECT_EQ(fake.log.messages()[0],
              "Default candidate ⌃⌥⌘M skipped: Taken by the “Make Note” service. Change its shortcut "
              "there to use it here.");
    EXPECT_EQ(fake.log.messages()[1], "Chose default hotkey ⌃⌥⌘B");
}

TEST_F(AppControllerHotKeyTest, AStandardMachineNeverAsksTheServicesTools) {
    fake.processInfo.environmentValues["TARNWICK_STANDARD_MAC"] = "1";
    fake.preferences.store("pbs", "NSServicesStatus",
                           PropertyDictionary{{"JotterApp - Make Note - makeNote",
                                               PropertyDictionary{{"key_equivalent", "@~^m"}}}});
    launch();
    EXPECT_EQ(fake.log.messages()[0], "Chose default hotkey ⌃⌥⌘M");
    EXPECT_TRUE(fake.toolRunner.calls.empty());
}

TEST_F(AppControllerHotKeyTest, AStoredSystemShortcutStaysStoredButInactive) {
    storeHotKey(commandSpace.dictionary());
    auto& controller = launch();
    EXPECT_EQ(fake.log.lines[0].message, "Hotkey ⌘Space not active: " + spotlightMessage);
    EXPECT_EQ(fake.log.lines[0].level, platform::LogLevel::error);
    EXPECT_TRUE(lastLine().ends_with("hotkey ⌘Space (inactive), 0 app rule(s)"));
    EXPECT_EQ(fake.globalHotKeys.registerCalls, 0);
    EXPECT_TRUE(fake.toolRunner.calls.empty()) << "Services are not consulted after a system conflict";
    EXPECT_EQ(storedHotKey(), PropertyValue(commandSpace.dictionary()));
    EXPECT_EQ(controller.hotKeyState(), HotKeyState(HotKeyStates::Inactive{commandSpace, spotlightMessage}));
}

TEST_F(AppControllerHotKeyTest, AClearedOrDamagedShortcutStartsOffWithoutADefault) {
    for (auto stored : {PropertyValue(PropertyDictionary{}), PropertyValue("⌃⌥⌘M"),
                        PropertyValue(PropertyDictionary{{"keyCode", "46"}, {"modifiers", 1835008}})}) {
        fakes::FakePlatform platform;
        platform.preferences.store(FakePlatform::appDomain, "hotKey", stored);
        kit::Application application;
        AppDelegate appDelegate;
        application.setDelegate(&appDelegate);
        platform.runLoop.scheduleTimer(0, false, [&] { platform.runLoop.stop(); });
        application.run();
        EXPECT_EQ(platform.log.messages(), (std::vector<std::string>{
                                               "Tarnwick launched; auto-hide off, right-click toggle "
                                               "enabled, hotkey off, 0 app rule(s)"}));
        EXPECT_EQ(platform.globalHotKeys.registerCalls, 0);
        EXPECT_EQ(platform.preferences.stored(FakePlatform::appDomain, "hotKey"), stored);
    }
}

TEST_F(AppControllerHotKeyTest, RecordingAShortcutChecksRegistersAndStoresIt) {
    auto& controller = launch();
    fake.log.lines.clear();
    EXPECT_EQ(controller.setHotKey(controlOptionCommandK), std::nullopt);
    EXPECT_EQ(lastLine(), "Hotkey set to ⌃⌥⌘K");
    EXPECT_TRUE(registered(controlOptionCommandK));
    EXPECT_FALSE(registered(controlOptionCommandM));
    EXPECT_EQ(storedHotKey(), PropertyValue(controlOptionCommandK.dictionary()));
    EXPECT_EQ(stateChanges, 1);

    // The same one again registers afresh and says so again.
    int calls = fake.globalHotKeys.registerCalls;
    EXPECT_EQ(controller.setHotKey(controlOptionCommandK), std::nullopt);
    EXPECT_EQ(fake.globalHotKeys.registerCalls, calls + 1);
    EXPECT_EQ(fake.log.count("Hotkey set to ⌃⌥⌘K"), 2u);

    // A function key needs no modifier.
    EXPECT_EQ(controller.setHotKey(HotKey{96, 0}), std::nullopt);
    EXPECT_EQ(lastLine(), "Hotkey set to F5");
}

TEST_F(AppControllerHotKeyTest, RefusedShortcutsChangeNothing) {
    auto& controller = launch();
    int calls = fake.globalHotKeys.registerCalls;
    auto refusal = [&](const HotKey& hotKey) { return controller.setHotKey(hotKey).value().message(); };

    EXPECT_EQ(refusal({0, 0}), "Add ⌃, ⌥ or ⌘ — a bare key would get in the way of typing.");
    EXPECT_EQ(refusal({0, shift}), "Add ⌃, ⌥ or ⌘ — a bare key would get in the way of typing.");
    EXPECT_EQ(refusal(commandSpace), spotlightMessage);
    EXPECT_EQ(refusal({48, command}),
              "Taken by macOS: the app switcher. Disable it in System Settings › Keyboard › Keyboard "
              "Shortcuts to use it here.");
    EXPECT_EQ(fake.globalHotKeys.registerCalls, calls) << "checks come before any registration";

    fake.globalHotKeys.failures[{40, carbonControlOptionCommand}] = -50;
    EXPECT_EQ(refusal(controlOptionCommandK), "Couldn't register the shortcut (error -50).");
    fake.globalHotKeys.heldElsewhere.insert({11, carbonControlOptionCommand});
    EXPECT_EQ(refusal(controlOptionCommandB), "Taken by another app's global shortcut.");

    // The previous shortcut is back and still works.
    EXPECT_TRUE(registered(controlOptionCommandM));
    EXPECT_EQ(controller.hotKeyState(), HotKeyState(HotKeyStates::Active{controlOptionCommandM}));
    EXPECT_EQ(storedHotKey(), PropertyValue(controlOptionCommandM.dictionary()));
    EXPECT_EQ(stateChanges, 0);
    EXPECT_TRUE(fake.globalHotKeys.press(46, carbonControlOptionCommand));
}

TEST_F(AppControllerHotKeyTest, ClearingStoresTheEmptyFormAndStaysClearedNextLaunch) {
    auto& controller = launch();
    EXPECT_EQ(controller.setHotKey(std::nullopt), std::nullopt);
    EXPECT_EQ(controller.hotKeyState(), HotKeyState(HotKeyStates::Off{}));
    EXPECT_TRUE(fake.globalHotKeys.registrations.empty());
    EXPECT_EQ(storedHotKey(), PropertyValue(PropertyDictionary{}));
    EXPECT_EQ(stateChanges, 1);
    EXPECT_EQ(controller.hotKeyDescription(), "off");
}

TEST_F(AppControllerHotKeyTest, RefreshFollowsConflictsThatComeAndGo) {
    auto& controller = launch();
    int calls = fake.globalHotKeys.registerCalls;

    controller.refreshHotKeyState();
    EXPECT_EQ(stateChanges, 0) << "nothing new";

    // The user gives ⌃⌥⌘M to a system action.
    auto factory = *fake.symbolicHotKeys.answer;
    fake.symbolicHotKeys.add(46, carbonControlOptionCommand);
    controller.refreshHotKeyState();
    const std::string generic =
        "Taken by macOS: a macOS shortcut (System Settings › Keyboard). Disable it in System "
        "Settings › Keyboard › Keyboard Shortcuts to use it here.";
    EXPECT_EQ(controller.hotKeyState(), HotKeyState(HotKeyStates::Inactive{controlOptionCommandM, generic}));
    EXPECT_TRUE(registered(controlOptionCommandM)) << "the registration is left in place";
    EXPECT_EQ(stateChanges, 1);

    controller.refreshHotKeyState();
    EXPECT_EQ(stateChanges, 1) << "the same reason is no change";

    fake.symbolicHotKeys.answer = factory;
    controller.refreshHotKeyState();
    EXPECT_EQ(controller.hotKeyState(), HotKeyState(HotKeyStates::Active{controlOptionCommandM}));
    EXPECT_EQ(lastLine(), "Hotkey ⌃⌥⌘M is available again");
    EXPECT_EQ(fake.globalHotKeys.registerCalls, calls) << "still registered, so not again";
    EXPECT_EQ(stateChanges, 2);
}

TEST_F(AppControllerHotKeyTest, RefreshRegistersAStoredShortcutOnceItIsFree) {
    storeHotKey(controlOptionCommandK.dictionary());
    fake.globalHotKeys.heldElsewhere.insert({40, carbonControlOptionCommand});
    auto& controller = launch();
    controller.refreshHotKeyState();
    EXPECT_EQ(stateChanges, 0);

    fake.globalHotKeys.heldElsewhere.clear();
    controller.refreshHotKeyState();
    EXPECT_EQ(controller.hotKeyState(), HotKeyState(HotKeyStates::Active{controlOptionCommandK}));
    EXPECT_TRUE(registered(controlOptionCommandK));
    EXPECT_EQ(stateChanges, 1);

    controller.setHotKey(std::nullopt);
    controller.refreshHotKeyState();
    EXPECT_EQ(stateChanges, 2) << "off stays off";
}

}  // namespace
