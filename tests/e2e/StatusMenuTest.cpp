// The status item as a person meets it through the desktop's panel: its icon
// and tooltip follow the setting, wherever it was changed, and its menu
// toggles and quits.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>

#include "Tarnwick.h"
#include "support/Process.h"
#include "support/StatusPanel.h"

namespace {

constexpr const char* hiddenToolTip = "Menu bar auto-hide is on";
constexpr const char* shownToolTip = "Menu bar auto-hide is off";

std::string globalPreferences(bool hidden) {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
               "<key>_HIHideMenuBar</key>") +
           (hidden ? "<true/>" : "<false/>") + "</dict></plist>\n";
}

class StatusMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        tarnwick = e2e::launch(home.path());
        panel = std::make_unique<support::StatusPanel>(tarnwick->pid());
        if (!panel->connected()) GTEST_SKIP() << "needs a session bus";
        ASSERT_TRUE(panel->waitForItem());
    }
    void TearDown() override {
        if (!tarnwick) return;
        tarnwick->signal(SIGTERM);
        EXPECT_EQ(tarnwick->wait(), 0);
    }
    std::string globalFile() const {
        return home.path() + "/config/Preferences/.GlobalPreferences.plist";
    }
    bool toolTipBecomes(const std::string& text) {
        return panel->waitUntil([&] { return panel->toolTip() == text; });
    }
    // Another program changes the setting, then tells everyone (arguments in
    // GVariant text, hence the quotes).
    void changeElsewhere(bool hidden) {
        support::writeFile(globalFile(), globalPreferences(hidden));
        support::run({"gdbus", "emit", "--session", "--object-path",
                      "/app/tarnwick/DistributedNotifications", "--signal",
                      "app.tarnwick.DistributedNotifications.Posted",
                      "'AppleInterfaceMenuBarHidingChangedNotification'", "''"});
    }

    support::TemporaryDirectory home;
    std::unique_ptr<support::ChildProcess> tarnwick;
    std::unique_ptr<support::StatusPanel> panel;
};

TEST_F(StatusMenuTest, AutoHideMenuBarFlipsTheSettingAndTheItemFollows) {
    EXPECT_EQ(panel->toolTip(), shownToolTip);
    EXPECT_EQ(panel->entry("Auto-hide Menu Bar")->toggleState, 0);
    EXPECT_EQ(panel->entry("Auto-hide Menu Bar")->shortcut,
              (std::vector<std::string>{"Control", "Alt", "Super", "m"}))
        << "the shortcut chosen at first launch";
    auto shownIcon = panel->icon();
    ASSERT_EQ(shownIcon.size(), 3u);

    ASSERT_TRUE(panel->click("Auto-hide Menu Bar"));
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via menu: auto-hide is now on\n"))
        << tarnwick->stderrText();
    EXPECT_NE(support::readFile(globalFile()).find("<true/>"), std::string::npos)
        << support::readFile(globalFile());
    EXPECT_TRUE(toolTipBecomes(hiddenToolTip));
    EXPECT_EQ(panel->entry("Auto-hide Menu Bar")->toggleState, 1);
    EXPECT_NE(panel->icon(), shownIcon);

    ASSERT_TRUE(panel->click("Auto-hide Menu Bar"));
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via menu: auto-hide is now off\n"));
    EXPECT_TRUE(toolTipBecomes(shownToolTip));
    EXPECT_EQ(panel->entry("Auto-hide Menu Bar")->toggleState, 0);
    EXPECT_EQ(panel->icon(), shownIcon);
}

TEST_F(StatusMenuTest, AChangeMadeByAnotherProgramShowsWithoutOpeningTheMenu) {
    auto shownIcon = panel->icon();
    changeElsewhere(true);
    EXPECT_TRUE(toolTipBecomes(hiddenToolTip));
    EXPECT_NE(panel->icon(), shownIcon);

    changeElsewhere(false);
    EXPECT_TRUE(toolTipBecomes(shownToolTip));
    EXPECT_EQ(panel->icon(), shownIcon);
    EXPECT_EQ(tarnwick->stderrText().find("Toggled via"), std::string::npos)
        << "only shown, not toggled";
}

// The first launch shows the window once by itself; "Settings…" shows it again.
TEST_F(StatusMenuTest, SettingsShowsTheWindow) {
    constexpr const char* shown = "Settings window shown: visible=true key=true onScreen=true";
    ASSERT_TRUE(tarnwick->waitForStderr(shown)) << tarnwick->stderrText();
    std::string before = tarnwick->stderrText();
    ASSERT_TRUE(panel->click("Settings…"));
    auto shownAgain = [&] {
        const auto& log = tarnwick->stderrText();
        return log.find(shown, before.size()) != std::string::npos;
    };
    // Reads what the program writes for up to three seconds.
    for (int i = 0; i < 30 && !shownAgain(); ++i)
        tarnwick->waitForStderr("\x01", std::chrono::milliseconds(100));
    EXPECT_TRUE(shownAgain()) << tarnwick->stderrText();
}

TEST_F(StatusMenuTest, QuitTarnwickEndsTheProgram) {
    ASSERT_TRUE(panel->click("Quit Tarnwick"));
    EXPECT_EQ(tarnwick->wait(), 0);
    tarnwick.reset();
}

}  // namespace
