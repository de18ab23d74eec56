#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/DBusDistributedNotificationCenter.h"
#include "host/GLibRunLoop.h"
#include "support/Process.h"

namespace {

using Center = host::DBusDistributedNotificationCenter;

class DBusNotificationsTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) GTEST_SKIP() << "no session bus";
        ASSERT_TRUE(center.connected());
    }

    host::GLibRunLoop runLoop;
    Center center;
};

TEST_F(DBusNotificationsTest, SenderReceivesItsOwnWellFormedPostsOnceOnALaterTurn) {
    std::vector<std::string> received;
    auto record = [&](const std::string& posted, const std::optional<std::string>& object) {
        received.push_back(posted + " " + object.value_or("(none)"));
    };
    center.addObserver("test.Own", record);
    auto removed = center.addObserver("test.Removed", record);
    // Signals of another shape come first, and are ignored.
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    ASSERT_NE(bus, nullptr);
    for (GVariant* body :
         {g_variant_new("(s)", "test.Own"), g_variant_new("(si)", "test.Own", 7)}) {
        g_dbus_connection_emit_signal(bus, nullptr, Center::objectPath, Center::interfaceName,
                                      Center::signalName, body, nullptr);
    }

    center.post("test.Own", "the object", true);
    center.post("test.Other", "not observed", true);
    center.post("test.Removed", std::nullopt, true);
    center.post("test.Own", std::nullopt, false);
    // Removed after its post left but before delivery: still nothing.
    center.removeObserver(removed);
    EXPECT_TRUE(received.empty());
    runLoop.runUntil(runLoop.now() + 0.3);  // long enough for the bus to hand back anything
    EXPECT_EQ(received, (std::vector<std::string>{"test.Own the object", "test.Own (none)"}));
    center.removeObserver(removed);
}

TEST_F(DBusNotificationsTest, AnotherProcessReceivesEachPostOnce) {
    support::ChildProcess listener({HOST_TEST_HELPER, "listen", "test.Shared", "1.5"});
    ASSERT_TRUE(listener.waitForStdout("ready\n")) << listener.stderrText();
    center.post("test.Shared", "one", true);
    center.post("test.Unrelated", "x", true);
    center.post("test.Shared", std::nullopt, true);
    EXPECT_EQ(listener.wait(), 0);
    EXPECT_EQ(listener.stdoutText(), "ready\ntest.Shared one\ntest.Shared\n");
}

TEST(DBusNotificationsWithoutBusTest, PostsGoNowhereAndNothingIsLogged) {
    support::ChildProcess child({HOST_TEST_HELPER, "without-bus"},
                                {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"}});
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(child.stdoutText(), "not connected, 0 calls\n");
    EXPECT_EQ(child.stderrText(), "");
}

}  // namespace
