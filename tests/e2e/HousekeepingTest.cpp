// One running copy and the right-click on the menu bar, with the real
// program on the real bus and X server.

#include <signal.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "Tarnwick.h"
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

TEST_F(HousekeepingTest, ARightClickOnEmptyMenuBarToggles) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    // A panel along the top with a narrow pop-up over part of it.
    support::ChildProcess panel({HOST_TEST_HELPER, "window-stack"});
    ASSERT_TRUE(panel.waitForStdout("ready")) << panel.stderrText();
    auto tarnwick = launch();

    support::xdotool({"mousemove", "250", "10", "click", "3"});  // on the pop-up
    support::xdotool({"mousemove", "900", "10", "click", "1"});  // a plain left click
    support::xdotool({"mousemove", "900", "10", "click", "3"});
    EXPECT_TRUE(tarnwick->waitForStderr("default: Toggled via right-click on menu bar: auto-hide is now on\n"));
    // Control held through the click, as a hand holds it.
    support::xdotool({"keydown", "ctrl", "click", "1", "sleep", "0.5", "keyup", "ctrl"});
    EXPECT_TRUE(tarnwick->waitForStderr("default: Toggled via right-click on menu bar: auto-hide is now off\n"));
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(), 0);
    panel.signal(SIGTERM);
    auto log = tarnwick->stderrText();
    auto toggles = 0;
    for (auto at = log.find("Toggled via"); at != std::string::npos; at = log.find("Toggled via", at + 1)) ++toggles;
    EXPECT_EQ(toggles, 2) << "the click on the pop-up and the plain left click did nothing: " << log;
}

}  // namespace
