// The shortcut recorder of the real program, used with the mouse and the
// keyboard: a click to record, a combination typed, the status line read off
// the screen.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "core/AppController.h"
#include "core/AppDelegate.h"
#include "e2e/ScreenPixels.h"
#include "e2e/Tarnwick.h"
#include "fakes/FakePlatform.h"
#include "kit/Application.h"
#include "kit/Button.h"
#include "kit/Label.h"
#include "support/Process.h"
#include "ui/SettingsWindowController.h"
#include "ui/ShortcutRecorderControl.h"

namespace {

// Where the recorder, the Clear button and the status line sit in the
// window, title bar included. The layout depends only on the fonts, so the
// same window built on the fake platform answers for the real one.
struct Spots {
    kit::Rect recorder, clear, status;
};

Spots settingsWindowSpots() {
    fakes::FakePlatform fake;
    fake.preferences.store(fakes::FakePlatform::appDomain, "didShowSettingsOnFirstLaunch", true);
    kit::Application app;
    AppDelegate delegate;
    app.setDelegate(&delegate);
    fake.runLoop.scheduleTimer(0, false, [&] { fake.runLoop.stop(); });
    app.run();
    auto& settings = delegate.controller()->settingsWindowController();
    settings.window().layoutIfNeeded();
    return {settings.recorder().frameInWindow(), settings.clearButton().frameInWindow(),
            settings.statusLabel().frameInWindow()};
}

class RecorderTest : public ::testing::Test {
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
    bool statusIsRed() {
        const kit::Rect& status = spots.status;
        e2e::PixelRect rect{int(status.origin.x), int(status.origin.y), int(status.size.width),
                            int(status.size.height)};
        return e2e::redPixels(window, rect) > 20;
    }

    support::TemporaryDirectory home;
    std::unique_ptr<support::ChildProcess> tarnwick;
    unsigned long window = 0;
    Spots spots = settingsWindowSpots();
};

TEST_F(RecorderTest, TypedShortcutsAreTakenRefusedAndCleared) {
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

}  // namespace
