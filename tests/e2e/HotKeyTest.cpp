// The global shortcut as a person meets it: chosen at first launch, pressed
// on the keyboard, refused with a reason.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "Tarnwick.h"
#include "support/Process.h"
#include "support/StatusPanel.h"

namespace {

constexpr const char* controlAltSuperMask = "76";  // ControlMask | Mod1Mask | Mod4Mask

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body +
           "</dict></plist>\n";
}

class HotKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    }
    std::string preferences() const { return home.path() + "/config/Preferences"; }
    std::unique_ptr<support::ChildProcess> launch(std::map<std::string, std::string> environment = {}) {
        return e2e::launch(home.path(), std::move(environment));
    }
    static std::string quit(std::unique_ptr<support::ChildProcess>& tarnwick) {
        tarnwick->signal(SIGTERM);
        EXPECT_EQ(tarnwick->wait(), 0);
        return tarnwick->stderrText();
    }
    static void press(const std::string& keys) { support::xdotool({"key", keys}); }

    support::TemporaryDirectory home;
};

TEST_F(HotKeyTest, TheFirstLaunchChoosesControlOptionCommandMAndItToggles) {
    auto tarnwick = launch();
    EXPECT_NE(tarnwick->stderrText().find("default: Chose default hotkey ⌃⌥⌘M\n"), std::string::npos);
    EXPECT_NE(tarnwick->stderrText().find(", hotkey ⌃⌥⌘M, 0 app rule(s)"), std::string::npos);
    auto stored = support::readFile(preferences() + "/app.tarnwick.Tarnwick.plist");
    EXPECT_NE(stored.find("<integer>46</integer>"), std::string::npos) << stored;
    EXPECT_NE(stored.find("<integer>1835008</integer>"), std::string::npos) << stored;

    auto global = preferences() + "/.GlobalPreferences.plist";
    press("ctrl+alt+super+m");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via hotkey: auto-hide is now on\n"));
    EXPECT_NE(support::readFile(global).find("<true/>"), std::string::npos);
    // Num Lock on does not get in the way.
    press("Num_Lock");
    press("ctrl+alt+super+m");
    press("Num_Lock");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via hotkey: auto-hide is now off\n"));
    EXPECT_NE(support::readFile(global).find("<false/>"), std::string::npos);
    quit(tarnwick);
}

// Another process keeping the settings file's lock neither stalls the
// program nor ends its toggles for good: the press fails at once and says
// who holds the lock, the status menu answers at once meanwhile, SIGTERM is
// still served, and once the lock is free the next press is stored.
TEST_F(HotKeyTest, AProcessHoldingTheSettingsLockFailsTheToggleButStallsNothing) {
    auto global = preferences() + "/.GlobalPreferences.plist";
    std::filesystem::create_directories(preferences());
    auto holder = std::make_unique<support::ChildProcess>(
        std::vector<std::string>{HOST_TEST_HELPER, "hold-lock", global});
    ASSERT_TRUE(holder->waitForStdout("ready"));
    auto tarnwick = launch();
    press("ctrl+alt+super+m");
    EXPECT_TRUE(tarnwick->waitForStderr("error: Couldn't write " + global + ": host_test_helpe (pid " +
                                        std::to_string(holder->pid()) +
                                        ") has held its lock for over 50 ms\n"))
        << tarnwick->stderrText();
    EXPECT_TRUE(tarnwick->waitForStderr("error: Couldn't write the menu bar setting\n"));
    support::StatusPanel panel(tarnwick->pid());
    ASSERT_TRUE(panel.waitForItem());
    // The holder never lets go by itself: a program waiting for the lock
    // would leave these calls unanswered.
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(panel.click("Auto-hide Menu Bar"));
        EXPECT_TRUE(panel.entry("Auto-hide Menu Bar"));
    }
    holder->signal(SIGTERM);
    holder->wait();
    // Another program has stored on since the failed presses; the next press
    // starts from what is stored, not from what they failed to write.
    support::writeFile(global, plist("<key>_HIHideMenuBar</key><true/>"));
    press("ctrl+alt+super+m");
    bool stored = false;
    for (int attempt = 0; attempt < 40 && !stored; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stored = support::readFile(global).find("<false/>") != std::string::npos;
    }
    EXPECT_TRUE(stored) << tarnwick->stderrText();

    holder = std::make_unique<support::ChildProcess>(
        std::vector<std::string>{HOST_TEST_HELPER, "hold-lock", global});
    ASSERT_TRUE(holder->waitForStdout("ready"));
    press("ctrl+alt+super+m");
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(std::chrono::seconds(1)), 0);
    holder->signal(SIGTERM);
}

TEST_F(HotKeyTest, AKeyAnotherClientHoldsIsSkipped) {
    support::ChildProcess holder({HOST_TEST_HELPER, "hold-key", "m", controlAltSuperMask});
    ASSERT_TRUE(holder.waitForStdout("ready"));
    auto tarnwick = launch();
    auto log = quit(tarnwick);
    holder.signal(SIGTERM);
    EXPECT_NE(log.find("default: Default candidate ⌃⌥⌘M skipped: Taken by another app's global shortcut.\n"
                       "default: Chose default hotkey ⌃⌥⌘B\n"),
              std::string::npos)
        << log;
}

TEST_F(HotKeyTest, AServicesShortcutIsSkippedUnlessTheMachineIsToLookStandard) {
    support::writeFile(preferences() + "/pbs.plist",
                       plist("<key>NSServicesStatus</key><dict><key>JotterApp - Make Note - makeNote</key>"
                             "<dict><key>key_equivalent</key><string>^~@m</string></dict></dict>"));
    auto tarnwick = launch();
    auto log = quit(tarnwick);
    EXPECT_NE(log.find("Default candidate ⌃⌥⌘M skipped: Taken by the “Make Note” service. Change its "
                       "shortcut there to use it here.\n"),
              std::string::npos)
        << log;

    std::remove((preferences() + "/app.tarnwick.Tarnwick.plist").c_str());
    tarnwick = launch({{"TARNWICK_STANDARD_MAC", "1"}});
    log = quit(tarnwick);
    EXPECT_NE(log.find("Chose default hotkey ⌃⌥⌘M\n"), std::string::npos) << log;
}

// The system's shortcuts are its factory set with the user's changes applied
// one by one: switching the search field's shortcut off frees ⌘Space and
// leaves every other system shortcut taken.
TEST_F(HotKeyTest, AStoredSystemShortcutIsNotActiveUnlessTheUserSwitchedItOff) {
    auto storeHotKey = [&](int keyCode, int modifiers) {
        support::writeFile(
            preferences() + "/app.tarnwick.Tarnwick.plist",
            plist("<key>hotKey</key><dict><key>keyCode</key><integer>" + std::to_string(keyCode) +
                  "</integer><key>modifiers</key><integer>" + std::to_string(modifiers) +
                  "</integer></dict>"));
    };
    storeHotKey(49, 1048576);
    auto tarnwick = launch();
    auto log = quit(tarnwick);
    EXPECT_NE(log.find("error: Hotkey ⌘Space not active: Taken by macOS: Show Spotlight search. Disable it "
                       "in System Settings › Keyboard › Keyboard Shortcuts to use it here.\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("hotkey ⌘Space (inactive), 0 app rule(s)\n"), std::string::npos) << log;

    support::writeFile(preferences() + "/com.apple.symbolichotkeys.plist",
                       plist("<key>AppleSymbolicHotKeys</key><dict><key>64</key><dict>"
                             "<key>enabled</key><false/></dict></dict>"));
    tarnwick = launch();
    log = quit(tarnwick);
    EXPECT_NE(log.find("hotkey ⌘Space, 0 app rule(s)\n"), std::string::npos) << log;
    storeHotKey(126, 262144);
    tarnwick = launch();
    log = quit(tarnwick);
    EXPECT_NE(
        log.find(
            "error: Hotkey ⌃↑ not active: Taken by macOS: Mission Control. Disable it in System "
            "Settings › Keyboard › Keyboard Shortcuts to use it here.\n"),
        std::string::npos)
        << log;
}

}  // namespace
