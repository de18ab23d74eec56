#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/AppController.h"
#include "core/AppDelegate.h"
#include "fakes/Modifiers.h"
#include "fakes/ProgramTest.h"
#include "kit/Application.h"
#include "kit/Bitmap.h"
#include "kit/Button.h"
#include "kit/ImageView.h"
#include "kit/Label.h"
#include "kit/PopUpButton.h"
#include "menubar/StatusItemController.h"
#include "prefs/Preferences.h"
#include "shortcuts/SystemShortcuts.h"
#include "ui/SettingsWindowController.h"
#include "ui/ShortcutRecorderControl.h"

namespace {

using namespace fakes::modifiers;
using fakes::FakePlatform;
using kit::Event;
using platform::PropertyValue;

constexpr std::uint16_t keyK = 40, keyF5 = 96, keyA = 0;
const std::string commandOnlyNote =
    "Active. Note: ⌘-only shortcuts override the same shortcut in every app.";
const std::string spotlightMessage =
    "Taken by macOS: Show Spotlight search. Disable it in System Settings › Keyboard › Keyboard "
    "Shortcuts to use it here.";

void click(kit::View& view) {
    kit::Rect frame = view.frameInWindow();
    kit::Point middle{frame.midX(), frame.midY()};
    view.window()->sendEvent(Event::mouse(Event::Type::leftMouseDown, middle));
    view.window()->sendEvent(Event::mouse(Event::Type::leftMouseUp, middle));
}

// Where the view's first line of text stands, in window coordinates.
double baselineInWindow(const kit::View& view) {
    return view.frameInWindow().minY() + view.firstBaselineOffsetFromTop().value_or(-100);
}

kit::View& labelWithText(kit::Window& window, const std::string& text) {
    auto* found = window.contentView()->findView([&](const kit::View& view) {
        auto* label = dynamic_cast<const kit::Label*>(&view);
        return label && label->text() == text;
    });
    EXPECT_NE(found, nullptr) << text;
    return *found;
}

double midYInWindow(const kit::View& view) {
    return view.frameInWindow().midY();
}

std::string symbolOf(const kit::ImageView& view) {
    return view.image() ? view.image()->symbolName() : "";
}

// The program as a person meets it: launched on a machine as it comes, with
// the settings window reached through the controller.
class SettingsWindowTest : public fakes::ProgramTest {
protected:
    SettingsWindowTest() {
        fake.symbolicHotKeys.answerWith(SystemShortcuts::factorySymbolicHotKeys(26));
    }
    AppController& launch(bool firstLaunch = false) {
        if (!firstLaunch) storeOwn("didShowSettingsOnFirstLaunch", true);
        return ProgramTest::launch();
    }
    SettingsWindowController& shown() {
        auto& settings = launch().settingsWindowController();
        settings.show();
        settings.window().layoutIfNeeded();
        return settings;
    }
    void storeOwn(const std::string& key, PropertyValue value) {
        fake.preferences.store(FakePlatform::appDomain, key, std::move(value));
    }
    // Clicks the recorder and types the combination, as a person records.
    void record(SettingsWindowController& settings, HotKey hotKey) {
        click(settings.recorder());
        ASSERT_TRUE(settings.recorder().isRecording());
        settings.window().sendEvent(Event::key(Event::Type::keyDown,
                                               static_cast<std::uint16_t>(hotKey.keyCode), "",
                                               hotKey.modifiers));
        EXPECT_FALSE(settings.recorder().isRecording());
    }
    std::vector<std::string> lines() {
        std::vector<std::string> messages;
        for (const auto& line : fake.log.lines) messages.push_back(line.message);
        return messages;
    }
};

TEST_F(SettingsWindowTest, TheFirstLaunchOpensTheWindowOnceAfterTheLaunchLine) {
    auto& settings = launch(true).settingsWindowController();
    EXPECT_EQ(fake.preferences.stored(FakePlatform::appDomain, "didShowSettingsOnFirstLaunch"),
              PropertyValue(true));
    EXPECT_TRUE(settings.window().isVisible());
    EXPECT_TRUE(settings.window().isKeyWindow());
    fake.runLoop.advance(0.5);
    auto messages = lines();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_NE(messages[messages.size() - 2].find("Tarnwick launched;"), std::string::npos);
    EXPECT_EQ(messages.back(),
              "Settings window shown: visible=true key=true onScreen=false appActive=true");
}

TEST_F(SettingsWindowTest, LaterLaunchesAndSnapshotsOpenNoWindowOfTheirOwn) {
    auto& settings = launch().settingsWindowController();
    fake.runLoop.drain();
    EXPECT_FALSE(settings.window().isVisible());
}

TEST_F(SettingsWindowTest, TheWindowIsOneFixedColumnOfRows) {
    auto& settings = shown();
    auto& window = settings.window();
    EXPECT_EQ(window.title(), "Tarnwick Settings");
    EXPECT_FALSE(window.isReleasedWhenClosed());
    EXPECT_EQ(window.collectionBehavior(), 258u);
    EXPECT_EQ(window.styleMask(), kit::WindowStyle::titled | kit::WindowStyle::closable);
    // The recorder's text, its row title and Clear stand on one baseline;
    // the previews are centred on their captions' line. The content ends 20
    // points below the last row.
    EXPECT_EQ(settings.recorder().frame().size, (kit::Size{170, 24}));
    double row0 = baselineInWindow(labelWithText(window, "Keyboard shortcut:"));
    EXPECT_NEAR(baselineInWindow(settings.recorder()), row0, 0.01);
    EXPECT_NEAR(baselineInWindow(settings.clearButton()), row0, 0.01);
    double captions = midYInWindow(labelWithText(window, "Auto-hide on:"));
    EXPECT_NEAR(midYInWindow(labelWithText(window, "off:")), captions, 0.01);
    EXPECT_NEAR(midYInWindow(settings.iconPreviewOn()), captions, 0.01);
    EXPECT_NEAR(midYInWindow(settings.iconPreviewOff()), captions, 0.01);
    kit::Rect links = settings.window().contentView()->subviews().front()->frame();
    EXPECT_DOUBLE_EQ(window.contentSize().height, links.maxY() + 20);
    EXPECT_DOUBLE_EQ(window.contentSize().width, links.maxX() + 20);
}

TEST_F(SettingsWindowTest, AcceptedShortcutsSayActiveAndCommandOnlyOnesWarn) {
    // No system shortcuts, so every case is accepted.
    fake.symbolicHotKeys.answer = PropertyValue(platform::PropertyDictionary{});
    auto& settings = shown();
    struct Case {
        HotKey hotKey;
        std::string status;
    };
    const Case cases[] = {
        {{keyK, command | shift}, commandOnlyNote},
        {{keyK, command}, commandOnlyNote},
        {{keyK, control | option}, "Active."},
        {{keyK, command | option}, "Active."},
        {{keyF5, command}, "Active."},
    };
    for (const auto& c : cases) {
        record(settings, c.hotKey);
        EXPECT_EQ(settings.statusLabel().text(), c.status) << c.hotKey.displayText();
        EXPECT_EQ(settings.statusLabel().textColor(), kit::Color::secondaryLabelColor());
        EXPECT_EQ(settings.recorder().hotKey(), c.hotKey);
        EXPECT_EQ(delegate.controller()->hotKeyState(),
                  HotKeyState(HotKeyStates::Active{c.hotKey}));
    }
    // The note lasts until the window is next brought up to date.
    settings.windowDidBecomeKey(settings.window());
    EXPECT_EQ(settings.statusLabel().text(), "Active.");
}

TEST_F(SettingsWindowTest, ARefusedShortcutIsExplainedInRedAndThePreviousOneReturns) {
    auto& settings = shown();
    HotKey before{46, control | option | command};
    ASSERT_EQ(settings.recorder().hotKey(), before);

    record(settings, {keyA, 0});
    EXPECT_EQ(settings.statusLabel().text(),
              "Add ⌃, ⌥ or ⌘ — a bare key would get in the way of typing.");
    EXPECT_EQ(settings.statusLabel().textColor(), kit::Color::systemRedColor());
    EXPECT_EQ(settings.recorder().hotKey(), before);

    record(settings, {49, command});
    EXPECT_EQ(settings.statusLabel().text(), spotlightMessage);
    EXPECT_EQ(settings.recorder().hotKey(), before);

    // A reason of three lines: the window grows to keep every row whole,
    // and shrinks back once the reason goes.
    auto& window = settings.window();
    auto rows = [&] { return window.contentView()->subviews().front()->frame(); };
    double height = window.contentSize().height;
    kit::Point corner = window.frame().origin;
    record(settings, {21, control | shift | command});
    window.layoutIfNeeded();
    EXPECT_GT(window.contentSize().height, height) << settings.statusLabel().text();
    EXPECT_DOUBLE_EQ(window.contentSize().height, rows().maxY() + 20);
    EXPECT_EQ(window.frame().origin, corner);
    click(settings.clearButton());
    window.layoutIfNeeded();
    EXPECT_DOUBLE_EQ(window.contentSize().height, height);
}

TEST_F(SettingsWindowTest, ClearRemovesTheShortcutEvenWhenThereIsNone) {
    auto& settings = shown();
    click(settings.clearButton());
    EXPECT_EQ(settings.statusLabel().text(), "No shortcut set.");
    EXPECT_EQ(settings.recorder().hotKey(), std::nullopt);
    EXPECT_EQ(fake.preferences.stored(FakePlatform::appDomain, "hotKey"),
              PropertyValue(platform::PropertyDictionary{}));

    click(settings.clearButton());
    EXPECT_EQ(settings.statusLabel().text(), "No shortcut set.");
    EXPECT_EQ(lines().back().find("Hotkey set to"), std::string::npos);
}

TEST_F(SettingsWindowTest, AnInactiveShortcutStaysInTheRecorderWithItsReason) {
    HotKey taken{40, control | option | command};
    fake.globalHotKeys.heldElsewhere.insert({taken.keyCode, taken.carbonModifiers()});
    storeOwn("hotKey", taken.dictionary());
    auto& settings = shown();
    EXPECT_EQ(settings.recorder().hotKey(), taken);
    EXPECT_EQ(settings.statusLabel().text(), "Not active: Taken by another app's global shortcut.");
    EXPECT_EQ(settings.statusLabel().textColor(), kit::Color::systemRedColor());
}

// The key that types Y on a US layout types Z on a German one. After a
// switch the window names it anew and tests it again, now against a
// Services shortcut typed with Z; later log lines name it as it is then.
TEST_F(SettingsWindowTest, ALayoutSwitchRenamesTheShortcutAndTestsItAgain) {
    storeOwn("hotKey", HotKey{16, control | option | command}.dictionary());
    fake.preferences.store(
        "pbs", "NSServicesStatus",
        platform::PropertyDictionary{{"JotterApp - Make Note - makeNote",
                                      platform::PropertyDictionary{{"key_equivalent", "@~^z"}}}});
    auto& settings = shown();
    EXPECT_EQ(settings.recorder().displayText(), "⌃⌥⌘Y");
    EXPECT_EQ(settings.statusLabel().text(), "Active.");

    fake.keyboardLayout.keys[6] = "y";
    fake.keyboardLayout.keys[16] = "z";
    fake.keyboardLayout.announceChange();
    EXPECT_EQ(settings.recorder().displayText(), "⌃⌥⌘Z");
    EXPECT_EQ(settings.statusLabel().text(),
              "Not active: Taken by the “Make Note” service. Change its shortcut there to use it "
              "here.");

    fake.keyboardLayout.useUS();
    fake.keyboardLayout.announceChange();
    EXPECT_EQ(settings.statusLabel().text(), "Active.");
    EXPECT_EQ(lines().back(), "Hotkey ⌃⌥⌘Y is available again");
}

TEST_F(SettingsWindowTest, ShowingTheWindowEndsRecordingFirst) {
    auto& settings = shown();
    click(settings.recorder());
    ASSERT_TRUE(settings.recorder().isRecording());
    settings.show();
    EXPECT_FALSE(settings.recorder().isRecording());
}

TEST_F(SettingsWindowTest, TheRegisteredShortcutIsRecordedWhileTheRecorderListens) {
    auto& settings = shown();
    HotKey active{46, control | option | command};
    std::optional<HotKey> reported;
    settings.recorder().onRecord = [&](std::optional<HotKey> hotKey) { reported = hotKey; };

    click(settings.recorder());
    EXPECT_TRUE(fake.globalHotKeys.press(active.keyCode, active.carbonModifiers()));
    EXPECT_EQ(reported, active);
    EXPECT_FALSE(settings.recorder().isRecording());
    EXPECT_EQ(fake.preferences.stored(FakePlatform::globalDomain, "_HIHideMenuBar"), std::nullopt);

    // Idle recorder, or a hidden window: the press toggles.
    reported.reset();
    fake.globalHotKeys.press(active.keyCode, active.carbonModifiers());
    EXPECT_EQ(lines().back(), "Toggled via hotkey: auto-hide is now on");
    click(settings.recorder());
    settings.window().close();
    fake.globalHotKeys.press(active.keyCode, active.carbonModifiers());
    EXPECT_EQ(lines().back(), "Toggled via hotkey: auto-hide is now off");
    EXPECT_EQ(reported, std::nullopt);
}

TEST_F(SettingsWindowTest, TheIconChoiceIsStoredAndShownAtOnce) {
    storeOwn("iconStyle", "Chevrons");
    auto& settings = shown();
    EXPECT_EQ(settings.iconPopUp().titleOfSelectedItem(), "Menu bar");
    EXPECT_EQ(symbolOf(settings.iconPreviewOn()), "menubar.arrow.up.rectangle");
    EXPECT_EQ(symbolOf(settings.iconPreviewOff()), "menubar.rectangle");
    ASSERT_EQ(settings.iconPopUp().numberOfItems(), 7);
    EXPECT_EQ(settings.iconPopUp().itemAt(4)->image()->symbolName(), "eye.slash");

    settings.iconPopUp().setMenuPresenter([](kit::Menu& menu) { return menu.item(4); });
    click(settings.iconPopUp());
    EXPECT_EQ(fake.preferences.stored(FakePlatform::appDomain, "iconStyle"), PropertyValue("eye"));
    EXPECT_EQ(symbolOf(settings.iconPreviewOn()), "eye.slash");
    EXPECT_EQ(symbolOf(settings.iconPreviewOff()), "eye");
    auto& button = delegate.controller()->statusItemController().statusItem().button();
    ASSERT_TRUE(button.image());
    EXPECT_EQ(button.image()->symbolName(), "eye");
}

TEST_F(SettingsWindowTest, LaunchAtLoginFollowsTheLoginItem) {
    fake.loginItems.currentStatus = platform::LoginItemStatus::requiresApproval;
    auto& settings = shown();
    EXPECT_EQ(settings.launchAtLoginCheckbox().state(), kit::ControlState::mixed);
    EXPECT_FALSE(settings.launchAtLoginNote().isHidden());

    fake.loginItems.currentStatus = platform::LoginItemStatus::enabled;
    settings.refresh();
    EXPECT_EQ(settings.launchAtLoginCheckbox().state(), kit::ControlState::on);
    EXPECT_TRUE(settings.launchAtLoginNote().isHidden());

    click(settings.launchAtLoginCheckbox());
    EXPECT_EQ(fake.loginItems.currentStatus, platform::LoginItemStatus::notRegistered);
    EXPECT_EQ(settings.launchAtLoginCheckbox().state(), kit::ControlState::off);
}

TEST_F(SettingsWindowTest, TheRightClickCheckboxSwitchesTheMonitor) {
    auto& settings = shown();
    ASSERT_EQ(settings.rightClickCheckbox().state(), kit::ControlState::on);
    click(settings.rightClickCheckbox());
    EXPECT_FALSE(delegate.controller()->rightClickMonitor().isEnabled());
    EXPECT_EQ(fake.preferences.stored(FakePlatform::appDomain, "rightClickToggleEnabled"),
              PropertyValue(false));
}

// Snapshot mode: the window, two pictures about 1.2 seconds apart, and the end.
TEST_F(SettingsWindowTest, ASnapshotRunWritesBothPicturesAndEnds) {
    auto folder =
        std::filesystem::path(::testing::TempDir()) / "snapshot-test" / "nested" / "deeper";
    std::filesystem::remove_all(folder.parent_path().parent_path());
    fake.processInfo.environmentValues["TARNWICK_SNAPSHOT_DIR"] = folder.string();
    app.setDelegate(&delegate);
    app.run();

    auto settingsPath = (folder / "settings.png").string();
    auto shortcutPath = (folder / "shortcut.png").string();
    auto messages = lines();
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Snapshot written to " + settingsPath),
              messages.end());
    EXPECT_EQ(messages.back(), "Snapshot written to " + shortcutPath);
    EXPECT_TRUE(app.isTerminating());
    EXPECT_EQ(fake.preferences.stored(FakePlatform::appDomain, "didShowSettingsOnFirstLaunch"),
              std::nullopt);

    auto& settings = delegate.controller()->settingsWindowController();
    EXPECT_EQ(settings.statusLabel().text(), spotlightMessage);
    EXPECT_EQ(settings.statusLabel().textColor(), kit::Color::systemRedColor());
    auto picture = kit::Bitmap::readPNG(shortcutPath);
    ASSERT_TRUE(picture);
    auto frame = settings.window().frame();
    EXPECT_EQ(picture->width(), static_cast<int>(frame.size.width * 2));
    EXPECT_EQ(picture->height(), static_cast<int>(frame.size.height * 2));
    EXPECT_TRUE(kit::Bitmap::readPNG(settingsPath));
    EXPECT_EQ(app.exitStatus(), 0);
}

// Pictures that cannot be written are said to be, with the reason, and the
// run fails; ⌘Space, free here, is tried but not kept.
TEST_F(SettingsWindowTest, ASnapshotRunThatCannotWriteFailsAndKeepsTheStoredShortcut) {
    fake.symbolicHotKeys.answer = PropertyValue(platform::PropertyArray{});
    auto blocker = std::filesystem::path(::testing::TempDir()) / "snapshot-blocker";
    std::filesystem::remove_all(blocker);
    std::ofstream(blocker) << "a file where the folder would go";
    const HotKey stored{11, platform::ModifierFlags::control | platform::ModifierFlags::command};
    Preferences::setHotKey(stored);
    fake.processInfo.environmentValues["TARNWICK_SNAPSHOT_DIR"] = (blocker / "pictures").string();
    app.setDelegate(&delegate);
    app.run();

    for (const char* file : {"settings.png", "shortcut.png"}) {
        EXPECT_EQ(fake.log.count("Snapshot not written to " +
                                 (blocker / "pictures" / file).string() + ": Not a directory"),
                  1u)
            << file;
    }
    for (const auto& message : lines())
        EXPECT_FALSE(message.starts_with("Snapshot written")) << message;
    EXPECT_EQ(app.exitStatus(), 1);
    EXPECT_EQ(delegate.controller()->settingsWindowController().recorder().hotKey(),
              std::optional<HotKey>(HotKey{49, platform::ModifierFlags::command}))
        << "⌘Space was free and taken for the picture";
    EXPECT_EQ(Preferences::hotKey(), stored);
    std::filesystem::remove(blocker);
}

}  // namespace
