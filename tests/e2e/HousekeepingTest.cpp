// One running copy and the right-click on the menu bar, with the real
// program on the real bus and X server.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>

#include "Tarnwick.h"
#include "support/PrivateDesktop.h"
#include "support/Process.h"

namespace {

class HousekeepingTest : public ::testing::Test {
protected:
    std::unique_ptr<support::ChildProcess> launch(std::map<std::string, std::string> environment = {}) {
        return e2e::launch(home.path(), std::move(environment));
    }
    support::TemporaryDirectory home;
};

TEST_F(HousekeepingTest, ANewerCopyReplacesTheOlderOne) {
    auto older = launch();
    auto newer = launch();
    std::string olderPid = std::to_string(older->pid());
    std::string newerPid = std::to_string(newer->pid());
    EXPECT_NE(newer->stderrText().find("default: Asking older copy (pid " + olderPid + ") to quit\n"),
              std::string::npos)
        << newer->stderrText();
    EXPECT_TRUE(older->waitForStderr("default: Quitting: replaced by a newer copy (pid " + newerPid + ")\n"))
        << older->stderrText();
    EXPECT_EQ(older->wait(std::chrono::seconds(3)), 0);
    // Starting it again is how its settings are reached.
    if (std::getenv("DISPLAY")) {
        EXPECT_TRUE(newer->waitForStderr("default: Settings window shown: visible=true"))
            << newer->stderrText();
    }

    // A copy in another desktop session (its own bus) is none of ours:
    // neither asked to quit nor waited for, and both keep running.
    support::TemporaryDirectory otherHome;
    support::PrivateDesktop otherSession(otherHome.path());
    ASSERT_TRUE(otherSession.ready());
    auto elsewhere = otherSession.start({TARNWICK_EXECUTABLE});
    ASSERT_TRUE(elsewhere->waitForStderr("Tarnwick launched")) << elsewhere->stderrText();
    EXPECT_EQ(elsewhere->stderrText().find("Asking older copy"), std::string::npos)
        << elsewhere->stderrText();
    EXPECT_FALSE(newer->waitForStderr("Quitting", std::chrono::milliseconds(300)))
        << newer->stderrText();
    elsewhere->signal(SIGTERM);
    EXPECT_EQ(elsewhere->wait(), 0);

    // A malformed request is ignored; one naming another copy ends this one.
    // gdbus reads its arguments as GVariant text, hence the quotes.
    auto request = [](const std::string& object) {
        support::run({"gdbus", "emit", "--session", "--object-path", "/app/tarnwick/DistributedNotifications",
                      "--signal", "app.tarnwick.DistributedNotifications.Posted",
                      "'app.tarnwick.Tarnwick.quitRequest'", "'" + object + "'"});
    };
    request("1 2");
    request("+1");
    EXPECT_TRUE(newer->waitForStderr("default: Quitting: replaced by a newer copy (pid 1)\n")) << newer->stderrText();
    EXPECT_EQ(newer->wait(std::chrono::seconds(3)), 0);
    EXPECT_EQ(newer->stderrText().find("pid 1 2"), std::string::npos);
}

// A bar that tells nothing of what it holds cannot have its empty stretch
// told from its items, so clicks on it are left alone and the log says why,
// once. (Real panels, which tell, are tried in their own tests.)
TEST_F(HousekeepingTest, RightClicksOnABarThatTellsNothingAreLeftAlone) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    support::ChildProcess panel({HOST_TEST_HELPER, "window-stack"});
    ASSERT_TRUE(panel.waitForStdout("ready")) << panel.stderrText();
    auto tarnwick = launch();

    support::xdotool({"mousemove", "900", "10", "click", "3"});
    EXPECT_TRUE(tarnwick->waitForStderr("default: Right-clicks on TarnwickPanel are left alone: "))
        << tarnwick->stderrText();
    support::xdotool(
        {"click", "3", "keydown", "ctrl", "click", "1", "sleep", "0.3", "keyup", "ctrl"});
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(), 0);
    panel.signal(SIGTERM);
    auto log = tarnwick->stderrText();
    EXPECT_EQ(log.find("Toggled via"), std::string::npos) << log;
    EXPECT_EQ(log.find("Right-clicks on"), log.rfind("Right-clicks on")) << log;
}

}  // namespace
