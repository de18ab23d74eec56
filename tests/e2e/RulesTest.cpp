// Per-application rules as a person meets them: two applications take turns
// in front (a stand-in window manager says which), and the menu bar setting
// follows the one with a rule.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "Tarnwick.h"
#include "support/Bundles.h"
#include "support/Process.h"

namespace {

class RulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        manager = std::make_unique<support::ChildProcess>(std::vector<std::string>{HOST_TEST_HELPER, "window-manager"});
        ASSERT_TRUE(manager->waitForStdout("ready"));
        alpha = startApplication("Alpha", "com.example.alpha");
        beta = startApplication("Beta", "com.example.beta");
        support::writeFile(preferences() + "/app.tarnwick.Tarnwick.plist",
                           plist("<key>appRules</key><array><dict><key>bundleID</key><string>com.example.alpha</string>"
                                 "<key>name</key><string>Alpha</string><key>autoHide</key><true/></dict></array>"));
        support::writeFile(preferences() + "/.GlobalPreferences.plist", plist("<key>_HIHideMenuBar</key><false/>"));
        activate(beta);
    }

    struct Application {
        std::unique_ptr<support::ChildProcess> process;
        std::string window;
    };
    Application startApplication(const std::string& name, const std::string& identifier) {
        auto program = support::makeBundle(folder.path(), name, identifier, HOST_TEST_HELPER);
        Application application{std::make_unique<support::ChildProcess>(
                                    std::vector<std::string>{program, "workspace-window", name, name}),
                                ""};
        EXPECT_TRUE(application.process->waitForStdout("\n"));
        auto text = application.process->stdoutText();
        application.window = text.substr(text.find(' ') + 1, text.find('\n') - text.find(' ') - 1);
        return application;
    }
    static void activate(const Application& application) { support::run({HOST_TEST_HELPER, "activate", application.window}); }
    static std::string plist(const std::string& body) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body + "</dict></plist>\n";
    }
    std::string preferences() const { return home.path() + "/config/Preferences"; }
    std::unique_ptr<support::ChildProcess> launch(std::map<std::string, std::string> environment = {}) {
        return e2e::launch(home.path(), std::move(environment));
    }
    std::string globalFile() { return support::readFile(preferences() + "/.GlobalPreferences.plist"); }

    support::TemporaryDirectory folder;
    support::TemporaryDirectory home;
    std::unique_ptr<support::ChildProcess> manager;
    Application alpha, beta;
};

TEST_F(RulesTest, TheRuleAppForcesTheSettingAndLeavingOrQuittingRestoresIt) {
    auto tarnwick = launch();
    activate(alpha);
    ASSERT_TRUE(tarnwick->waitForStderr("default: Rule: auto-hide on (Alpha)\n")) << tarnwick->stderrText();
    EXPECT_NE(globalFile().find("<true/>"), std::string::npos);
    activate(beta);
    ASSERT_TRUE(tarnwick->waitForStderr("default: Rule: auto-hide off (leaving the last rule's app)\n"));
    EXPECT_NE(globalFile().find("<false/>"), std::string::npos);

    activate(alpha);
    ASSERT_TRUE(tarnwick->waitForStderr("default: Rule: auto-hide on (Alpha)\n"));
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(), 0);
    EXPECT_NE(tarnwick->stderrText().find("default: Rule: auto-hide off (quitting)\n"), std::string::npos);
    EXPECT_NE(globalFile().find("<false/>"), std::string::npos);
}

TEST_F(RulesTest, AKilledRunIsRepairedAtTheNextLaunch) {
    auto tarnwick = launch();
    activate(alpha);
    ASSERT_TRUE(tarnwick->waitForStderr("default: Rule: auto-hide on (Alpha)\n")) << tarnwick->stderrText();
    tarnwick->signal(SIGKILL);
    tarnwick->wait();
    EXPECT_NE(support::readFile(preferences() + "/app.tarnwick.Tarnwick.plist").find("stateBeforeRule"),
              std::string::npos);

    activate(beta);
    auto next = launch();
    EXPECT_NE(next->stderrText().find("default: Rule: auto-hide off (restoring the setting from before the last rule)\n"),
              std::string::npos)
        << next->stderrText();
    EXPECT_NE(globalFile().find("<false/>"), std::string::npos);
    next->signal(SIGTERM);
    EXPECT_EQ(next->wait(), 0);
}

// A desktop application without a bundle is known by its desktop entry, with
// the id and name the settings window's open panel gives it.
TEST_F(RulesTest, ARuleForADesktopEntryFollowsItsWindows) {
    const std::string entry = "/usr/share/applications/debian-xterm.desktop";
    if (!std::filesystem::exists(entry)) GTEST_SKIP() << "needs xterm";
    support::writeFile(
        preferences() + "/app.tarnwick.Tarnwick.plist",
        plist("<key>appRules</key><array><dict><key>bundleID</key><string>debian-xterm</string>"
              "<key>name</key><string>XTerm</string><key>autoHide</key><true/></dict></array>"));
    auto tarnwick = launch();
    support::ChildProcess xterm({"xterm", "-class", "XTerm"});
    auto found = support::run({"xdotool", "search", "--sync", "--limit", "1", "--class", "XTerm"});
    ASSERT_FALSE(found.empty());
    support::run({HOST_TEST_HELPER, "activate", found.substr(0, found.find('\n'))});
    ASSERT_TRUE(tarnwick->waitForStderr("default: Rule: auto-hide on (XTerm)\n"))
        << tarnwick->stderrText();
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(), 0);
}

}  // namespace
