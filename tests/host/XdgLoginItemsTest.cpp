#include <glib.h>
#include <gtest/gtest.h>

#include "host/XdgLoginItems.h"
#include "support/Process.h"

namespace {

using platform::LoginItemStatus;

class XdgLoginItemsTest : public testing::Test {
protected:
    platform::BundleInfo bundle() const {
        return {"app.tarnwick.Tarnwick",
                "Tarnwick",
                "1.0",
                "7",
                home.path() + "/Tarnwick.app",
                home.path() + "/Tarnwick.app/Contents/MacOS/Tarnwick"};
    }
    std::string config() const { return home.path() + "/config"; }
    std::string entry() const { return config() + "/autostart/app.tarnwick.Tarnwick.desktop"; }

    support::TemporaryDirectory home;
    host::XdgLoginItems items{config(), bundle()};
};

TEST_F(XdgLoginItemsTest, RegisterWritesAnAutostartEntryAndUnregisterRemovesIt) {
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(items.registerItem(), std::nullopt);
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);
    auto text = support::readFile(entry());
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
    EXPECT_NE(text.find("Name=Tarnwick\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=" + bundle().executablePath + "\n"), std::string::npos);
    EXPECT_NE(text.find("X-GNOME-Autostart-enabled=true\n"), std::string::npos);

    EXPECT_EQ(items.unregisterItem(), std::nullopt);
    EXPECT_FALSE(support::fileExists(entry()));
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(items.unregisterItem(), std::nullopt);
}

TEST_F(XdgLoginItemsTest, StatusFollowsWhatTheUserChangedElsewhere) {
    support::writeFile(entry(), "[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n");
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    support::writeFile(entry(), "[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    support::writeFile(entry(), "not a key file");
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    // Registering again replaces the user's switched-off copy.
    EXPECT_EQ(items.registerItem(), std::nullopt);
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);
}

TEST_F(XdgLoginItemsTest, FailedWriteIsDescribedAndRegistersNothing) {
    support::writeFile(config() + "/autostart", "a file where the folder belongs");
    auto error = items.registerItem();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription, "Couldn't write " + entry() + ": Not a directory");
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(items.unregisterItem(), std::nullopt);
}

TEST(XdgLoginItemsExecTest, AnOddProgramPathReadsBackWhole) {
    support::TemporaryDirectory home;
    std::string program = home.path() + "/My $Apps \"2\"/100%/Tarnwick";
    host::XdgLoginItems items(home.path(), {"id", "Name", "1", "1", "", program});
    ASSERT_EQ(items.registerItem(), std::nullopt);

    GKeyFile* file = g_key_file_new();
    ASSERT_TRUE(
        g_key_file_load_from_file(file, items.entryPath().c_str(), G_KEY_FILE_NONE, nullptr));
    gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
    g_key_file_free(file);
    ASSERT_NE(exec, nullptr);
    // What a session does with it: unescape "%%", then split like a shell.
    std::string command = exec;
    g_free(exec);
    for (auto at = command.find("%%"); at != std::string::npos; at = command.find("%%", at + 1)) {
        command.erase(at, 1);
    }
    gchar** argv = nullptr;
    ASSERT_TRUE(g_shell_parse_argv(command.c_str(), nullptr, &argv, nullptr));
    EXPECT_EQ(g_strv_length(argv), 1u);
    EXPECT_EQ(std::string(argv[0]), program);
    g_strfreev(argv);
}

TEST(DesktopExecValueTest, QuotesAndEscapesOnlyWhenNeeded) {
    EXPECT_EQ(host::desktopExecValue("/opt/Tarnwick.app/Contents/MacOS/Tarnwick"),
              "/opt/Tarnwick.app/Contents/MacOS/Tarnwick");
    EXPECT_EQ(host::desktopExecValue("/home/a b/100%/T"), "\"/home/a b/100%%/T\"");
    EXPECT_EQ(host::desktopExecValue("/x/$HOME \"q\" `c` \\"),
              "\"/x/\\$HOME \\\"q\\\" \\`c\\` \\\\\"");
}

}  // namespace
