// The settings window of the real program, used with the mouse and the
// keyboard: a click to record, a combination typed, an icon chosen, and
// what the window and the status item show afterwards.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "e2e/ScreenPixels.h"
#include "e2e/SettingsSpots.h"
#include "e2e/Tarnwick.h"
#include "kit/MenuView.h"
#include "support/Process.h"
#include "support/ServerKeymap.h"
#include "support/StatusPanel.h"

namespace {

class SettingsWindowInUse : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        tarnwick = e2e::launch(home.path());
        ASSERT_TRUE(tarnwick->waitForStderr("Settings window shown")) << tarnwick->stderrText();
        std::istringstream ids(support::xdotool({"search", "--name", "^Tarnwick Settings$"}));
        ids >> window;
        ASSERT_NE(window, 0u);
    }
    void TearDown() override {
        if (!tarnwick) return;
        tarnwick->signal(SIGTERM);
        EXPECT_EQ(tarnwick->wait(), 0);
    }
    void clickAt(const kit::Rect& rect) {
        support::xdotool({"mousemove", "--window", std::to_string(window),
                          std::to_string(int(rect.midX())), std::to_string(int(rect.midY())),
                          "click", "1"});
    }
    // Records `keys` (xdotool names; Super is ⌘, Alt is ⌥) and waits for the
    // window to draw the outcome.
    void record(const std::string& keys) {
        clickAt(spots.recorder);
        support::xdotool({"key", keys});
        settle();
    }
    static void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(400)); }
    std::string stored() {
        return support::readFile(home.path() + "/config/Preferences/app.tarnwick.Tarnwick.plist");
    }
    static e2e::PixelRect pixelRect(const kit::Rect& rect) {
        return {int(rect.origin.x), int(rect.origin.y), int(rect.size.width),
                int(rect.size.height)};
    }
    bool statusIsRed() { return e2e::redPixels(window, pixelRect(spots.status)) > 20; }

    support::TemporaryDirectory home;
    std::unique_ptr<support::ChildProcess> tarnwick;
    unsigned long window = 0;
    e2e::SettingsSpots spots = e2e::settingsWindowSpots();
};

TEST_F(SettingsWindowInUse, TypedShortcutsAreTakenRefusedAndCleared) {
    record("ctrl+alt+k");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Hotkey set to ⌃⌥K\n")) << tarnwick->stderrText();
    EXPECT_NE(stored().find("<integer>786432</integer>"), std::string::npos) << stored();
    EXPECT_FALSE(statusIsRed());

    record("super+k");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Hotkey set to ⌘K\n")) << tarnwick->stderrText();
    EXPECT_FALSE(statusIsRed());

    // A bare letter: refused in red, the stored shortcut stays.
    record("j");
    EXPECT_TRUE(statusIsRed());
    EXPECT_NE(stored().find("<integer>1048576</integer>"), std::string::npos) << stored();
    EXPECT_EQ(tarnwick->stderrText().find("Hotkey set to J"), std::string::npos);

    clickAt(spots.clear);
    settle();
    EXPECT_FALSE(statusIsRed());
    auto settings = stored();
    auto key = settings.find("<key>hotKey</key>");
    ASSERT_NE(key, std::string::npos) << settings;
    EXPECT_EQ(settings.find_first_not_of(" \t\n", key + 17), settings.find("<dict/>", key))
        << settings;
}

// Keys are named by what they type on the X server's keyboard: on a German
// one the key in the US Y position types Z, and its shortcut is ⌃⌥⌘Z in the
// log, the window and the status menu until the keyboard changes again.
TEST_F(SettingsWindowInUse, ShortcutsAreNamedByTheServersKeymapAsItChanges) {
    support::StatusPanel panel(tarnwick->pid());
    ASSERT_TRUE(panel.waitForItem());
    auto menuShortcut = [&] { return panel.entry("Auto-hide Menu Bar")->shortcut; };
    support::ServerKeymap keymap;
    keymap.setLayouts("de");
    record("ctrl+alt+super+z");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Hotkey set to ⌃⌥⌘Z\n")) << tarnwick->stderrText();
    EXPECT_NE(stored().find("<integer>16</integer>"), std::string::npos) << stored();
    EXPECT_EQ(menuShortcut(), (std::vector<std::string>{"Control", "Alt", "Super", "z"}));
    support::xdotool({"key", "ctrl+alt+super+z"});
    EXPECT_TRUE(tarnwick->waitForStderr("default: Toggled via hotkey: auto-hide is now on\n"));

    auto recorderShowingZ = e2e::pixels(window, pixelRect(spots.recorder));
    keymap.setLayouts("us");
    EXPECT_TRUE(panel.waitUntil([&] {
        return menuShortcut() == std::vector<std::string>{"Control", "Alt", "Super", "y"};
    }));
    settle();
    EXPECT_NE(e2e::pixels(window, pixelRect(spots.recorder)), recorderShowingZ);

    // A launch on a German keyboard.
    keymap.setLayouts("de");
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(), 0);
    tarnwick = e2e::launch(home.path());
    EXPECT_TRUE(tarnwick->waitForStderr(", hotkey ⌃⌥⌘Z, 0 app rule(s)\n"))
        << tarnwick->stderrText();
}

// The pop-up opens with the chosen style over the button; "Eye" is four
// items further down.
TEST_F(SettingsWindowInUse, ChoosingEyeChangesTheStatusIconAndThePreviewsAtOnce) {
    support::StatusPanel panel(tarnwick->pid());
    ASSERT_TRUE(panel.waitForItem());
    auto iconBefore = panel.icon();
    auto previewsBefore = e2e::pixels(window, pixelRect(spots.previews));
    ASSERT_FALSE(previewsBefore.empty());

    clickAt(spots.iconPopUp);
    settle();
    kit::Rect eye = spots.iconPopUp;
    eye.origin.y += 4 * kit::MenuView::itemHeight;
    clickAt(eye);
    settle();

    EXPECT_NE(stored().find("<string>eye</string>"), std::string::npos) << stored();
    EXPECT_TRUE(panel.waitUntil([&] { return panel.icon() != iconBefore; }));
    EXPECT_NE(e2e::pixels(window, pixelRect(spots.previews)), previewsBefore);
}

}  // namespace
