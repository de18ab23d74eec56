// Starts the built application as a person would and reads what it says.

#include <gtest/gtest.h>
#include <signal.h>

#include "support/Process.h"

namespace {

constexpr const char* freshLaunchLine =
    "default: Tarnwick launched; auto-hide off, right-click toggle enabled, hotkey ⌃⌥⌘M, 0 app "
    "rule(s)\n";

std::string plistWithAutoHide(const std::string& valueElement) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\"><dict><key>_HIHideMenuBar</key>" +
           valueElement + "</dict></plist>\n";
}

class LaunchTest : public ::testing::Test {
protected:
    std::string preferencesFolder() const { return home.path() + "/config/Preferences"; }
    void storeGlobal(const std::string& valueElement) {
        support::writeFile(preferencesFolder() + "/.GlobalPreferences.plist",
                           plistWithAutoHide(valueElement));
    }
    std::unique_ptr<support::ChildProcess> launch() {
        return std::make_unique<support::ChildProcess>(
            std::vector<std::string>{TARNWICK_EXECUTABLE},
            std::map<std::string, std::string>{{"XDG_CONFIG_HOME", home.path() + "/config"},
                                               {"HOME", home.path()},
                                               {"XDG_CURRENT_DESKTOP", "GNOME"}});
    }
    // The launch line's auto-hide word for the stored value.
    std::string launchLineFor(const std::string& valueElement) {
        storeGlobal(valueElement);
        auto tarnwick = launch();
        EXPECT_TRUE(tarnwick->waitForStderr("Tarnwick launched"));
        tarnwick->signal(SIGTERM);
        EXPECT_EQ(tarnwick->wait(), 0);
        return tarnwick->stderrText();
    }

    support::TemporaryDirectory home;
};

TEST_F(LaunchTest, AFreshStartLogsItsStateAndEndsCleanlyOnSigterm) {
    auto tarnwick = launch();
    ASSERT_TRUE(tarnwick->waitForStderr(freshLaunchLine)) << tarnwick->stderrText();
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(), 0);
    // No panel runs on the tests' display: the setting is only stored.
    EXPECT_EQ(tarnwick->stderrText(),
              std::string("default: No menu bar panel we can hide (found no panel on GNOME); the "
                          "auto-hide setting is only stored\n"
                          "default: Chose default hotkey ⌃⌥⌘M\n") +
                  freshLaunchLine);
}

TEST_F(LaunchTest, SigintEndsItCleanlyToo) {
    auto tarnwick = launch();
    ASSERT_TRUE(tarnwick->waitForStderr("Tarnwick launched"));
    tarnwick->signal(SIGINT);
    EXPECT_EQ(tarnwick->wait(), 0);
}

TEST_F(LaunchTest, TheLaunchLineFollowsTheStoredSetting) {
    EXPECT_NE(launchLineFor("<true/>").find("auto-hide on,"), std::string::npos);
    EXPECT_NE(launchLineFor("<integer>2</integer>").find("auto-hide on,"), std::string::npos);
    EXPECT_NE(launchLineFor("<string>true</string>").find("auto-hide off,"), std::string::npos);
    EXPECT_NE(launchLineFor("<false/>").find("auto-hide off,"), std::string::npos);
}

TEST_F(LaunchTest, AGlobalFileThatDoesNotParseReadsAsOffAndIsLeftAlone) {
    auto path = preferencesFolder() + "/.GlobalPreferences.plist";
    support::writeFile(path, "<plist><dict><key>_HIHideMenuBar</key><true/>");
    auto tarnwick = launch();
    ASSERT_TRUE(tarnwick->waitForStderr("auto-hide off,")) << tarnwick->stderrText();
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(), 0);
    EXPECT_EQ(support::readFile(path), "<plist><dict><key>_HIHideMenuBar</key><true/>");
}

}  // namespace
