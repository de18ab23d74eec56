// A toolkit window on the real X server, used as a person would with
// xdotool: a helper process shows it; this test clicks and types.

#include <signal.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/Process.h"

namespace {

using support::run;

TEST(KitWindowOnHostTest, ClicksAndKeysReachTheControls) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    support::ChildProcess helper({HOST_TEST_HELPER, "kit-window"});
    ASSERT_TRUE(helper.waitForStdout("ready\n")) << helper.stderrText();
    std::string window = run({"xdotool", "search", "--sync", "--name", "^Kit Test$"});
    window = window.substr(0, window.find('\n'));
    ASSERT_FALSE(window.empty());

    // The checkbox's box sits at (20, 20) of the content, below the 28-point title bar.
    run({"xdotool", "mousemove", "--window", window, "27", "55", "click", "1"});
    ASSERT_TRUE(helper.waitForStdout("checkbox on\n")) << helper.stdoutText();
    run({"xdotool", "mousemove", "--window", window, "27", "55", "click", "1"});
    ASSERT_TRUE(helper.waitForStdout("checkbox off\n")) << helper.stdoutText();

    run({"xdotool", "mousemove", "--window", window, "60", "100", "click", "1"});
    ASSERT_TRUE(helper.waitForStdout("field focused\n")) << helper.stdoutText();
    // Real key presses (XTEST) to the focused window, as a keyboard sends them.
    run({"xdotool", "windowfocus", "--sync", window});
    run({"xdotool", "key", "ctrl+k"});
    run({"xdotool", "key", "a"});
    EXPECT_TRUE(helper.waitForStdout("key 40 k 262144\nkey 0 a 0\n")) << helper.stdoutText();

    helper.signal(SIGTERM);
    EXPECT_EQ(helper.wait(), 0);
}

}  // namespace
