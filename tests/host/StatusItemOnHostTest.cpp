// The toolkit's status item as a panel sees it: a helper process shows one on
// the private session bus; this test reads and clicks it over D-Bus.

#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "support/Process.h"
#include "support/StatusPanel.h"

namespace {

class StatusItemOnHostTest : public testing::Test {
protected:
    void SetUp() override {
        helper = std::make_unique<support::ChildProcess>(
            std::vector<std::string>{HOST_TEST_HELPER, "status-item"});
        ASSERT_TRUE(helper->waitForStdout("ready\n")) << helper->stderrText();
        panel = std::make_unique<support::StatusPanel>(helper->pid());
        if (!panel->connected()) GTEST_SKIP() << "needs a session bus";
        ASSERT_TRUE(panel->waitForItem());
    }
    void TearDown() override {
        if (!helper) return;
        helper->signal(SIGTERM);
        EXPECT_EQ(helper->wait(), 0);
    }

    std::unique_ptr<support::ChildProcess> helper;
    std::unique_ptr<support::StatusPanel> panel;
};

TEST_F(StatusItemOnHostTest, APanelReadsTheItemAndItsMenu) {
    EXPECT_EQ(panel->toolTip(), "Menu bar auto-hide is off");
    EXPECT_EQ(panel->icon().size(), 3u) << "16, 22 and 32 pixels square";

    auto menu = panel->entries();
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].label, "Auto-hide Menu Bar");
    EXPECT_EQ(menu[0].toggleState, 0);
    EXPECT_TRUE(menu[1].separator);
    EXPECT_EQ(menu[2].label, "Quit Tarnwick");
    EXPECT_EQ(menu[2].toggleState, 0);
}

TEST_F(StatusItemOnHostTest, ClickingAnEntryRunsItsActionAndTheLayoutFollows) {
    ASSERT_TRUE(panel->click("Auto-hide Menu Bar"));
    ASSERT_TRUE(helper->waitForStdout("toggled on\n")) << helper->stderrText();
    EXPECT_TRUE(panel->waitUntil([&] { return panel->layoutUpdates() >= 1; }));
    EXPECT_EQ(panel->entry("Auto-hide Menu Bar")->toggleState, 1);

    // "Quit Tarnwick" ends the program as the menu's own quit does.
    ASSERT_TRUE(panel->click("Quit Tarnwick"));
    EXPECT_EQ(helper->wait(), 0);
    helper.reset();
}

}  // namespace
