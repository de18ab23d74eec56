#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "prefs/LaunchAtLogin.h"

namespace {

using platform::LoginItemError;
using platform::LoginItemStatus;

class LaunchAtLoginTest : public fakes::PlatformTest {
protected:
    void given(LoginItemStatus status) { fake.loginItems.currentStatus = status; }
    LoginItemStatus status() { return LaunchAtLogin::status(); }
};

TEST_F(LaunchAtLoginTest, ToggleFlipsTheRegistration) {
    EXPECT_EQ(LaunchAtLogin::toggle(), std::nullopt);
    EXPECT_EQ(status(), LoginItemStatus::enabled);
    EXPECT_EQ(LaunchAtLogin::toggle(), std::nullopt);
    EXPECT_EQ(status(), LoginItemStatus::notRegistered);

    given(LoginItemStatus::notFound);
    EXPECT_EQ(LaunchAtLogin::toggle(), std::nullopt);
    EXPECT_EQ(status(), LoginItemStatus::enabled);
    EXPECT_EQ(fake.loginItems.settingsOpened, 0);
}

TEST_F(LaunchAtLoginTest, APendingApprovalSendsTheUserToSettingsAndChangesNothing) {
    given(LoginItemStatus::requiresApproval);
    fake.loginItems.nextError = LoginItemError{"would have been tried"};
    EXPECT_EQ(LaunchAtLogin::toggle(), std::nullopt);
    EXPECT_EQ(fake.loginItems.settingsOpened, 1);
    EXPECT_EQ(status(), LoginItemStatus::requiresApproval);
    EXPECT_TRUE(fake.loginItems.nextError) << "neither register nor unregister was called";
}

TEST_F(LaunchAtLoginTest, ARefusedChangeIsAnsweredWithTheServicesErrorBothWays) {
    LoginItemError refusal{"The operation couldn't be completed. Operation not permitted"};
    fake.loginItems.nextError = refusal;
    EXPECT_EQ(LaunchAtLogin::toggle(), refusal);
    EXPECT_EQ(status(), LoginItemStatus::notRegistered);

    given(LoginItemStatus::enabled);
    fake.loginItems.nextError = refusal;
    EXPECT_EQ(LaunchAtLogin::toggle(), refusal);
    EXPECT_EQ(status(), LoginItemStatus::enabled);
}

TEST_F(LaunchAtLoginTest, TheFailureAlertPutsTheDescriptionBeforeTheHint) {
    auto alert = LaunchAtLogin::failureAlert({"Not permitted."});
    EXPECT_EQ(alert.messageText, "Couldn't change Launch at Login");
    EXPECT_EQ(alert.informativeText,
              "Not permitted.\n\nThis usually means the app isn't in a permanent location yet. "
              "Move Tarnwick.app to /Applications (or run ./build.sh install) and try again.");
    EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});
}

}  // namespace
