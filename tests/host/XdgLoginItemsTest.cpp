#include <glib.h>
#include <gtest/gtest.h>

#include "host/XdgLoginItems.h"
#include "support/Process.h"

namespace {

using platform::LoginItemStatus;

class XdgLoginItemsTest : public testing::Test {
protected:
    std::string entry() const { return home.path() + "/autostart/app.tarnwick.Tarnwick.desktop"; }
    host::XdgLoginItems itemsFor(const std::string& program) const {
        return {home.path(), {"app.tarnwick.Tarnwick", "Tarnwick", "1.0", "7", "", program}};
    }

    support::TemporaryDirectory home;
    const std::string program = home.path() + "/Tarnwick.app/Contents/MacOS/Tarnwick";
    host::XdgLoginItems items = itemsFor(program);
};

TEST_F(XdgLoginItemsTest, RegisterWritesAnEntryTheUserMaySwitchOffAndUnregisterRemovesIt) {
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(items.registerItem(), std::nullopt);
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);
    auto text = support::readFile(entry());
    for (const auto& line :
         std::vector<std::string>{"[Desktop Entry]", "Type=Application", "Name=Tarnwick",
                                  "Exec=" + program, "X-GNOME-Autostart-enabled=true"}) {
        EXPECT_NE(text.find(line + "\n"), std::string::npos) << line;
    }

    // Switched off or spoilt elsewhere; registering again replaces that copy.
    for (const auto& switchedOff :
         {"[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n",
          "[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n", "not a key file"}) {
        support::writeFile(entry(), switchedOff);
        EXPECT_EQ(items.status(), LoginItemStatus::notRegistered) << switchedOff;
    }
    EXPECT_EQ(items.registerItem(), std::nullopt);
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);

    EXPECT_EQ(items.unregisterItem(), std::nullopt);
    EXPECT_FALSE(support::fileExists(entry()));
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(items.unregisterItem(), std::nullopt);
}

TEST_F(XdgLoginItemsTest, FailedWriteIsDescribedAndRegistersNothing) {
    support::writeFile(home.path() + "/autostart", "a file where the folder belongs");
    auto error = items.registerItem();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription, "Couldn't write " + entry() + ": Not a directory");
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(items.unregisterItem(), std::nullopt);
}

TEST_F(XdgLoginItemsTest, AnOddProgramPathReadsBackWhole) {
    std::string odd = home.path() + "/My $Apps \"2\" 'q' `c` \\/100%/Tarnwick";
    auto oddItems = itemsFor(odd);
    ASSERT_EQ(oddItems.registerItem(), std::nullopt);

    g_autoptr(GKeyFile) file = g_key_file_new();
    ASSERT_TRUE(g_key_file_load_from_file(file, entry().c_str(), G_KEY_FILE_NONE, nullptr));
    g_autofree gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
    ASSERT_NE(exec, nullptr);
    // What a session does with it: unescape "%%", then split like a shell.
    std::string command = exec;
    for (auto at = command.find("%%"); at != std::string::npos; at = command.find("%%", at + 1)) {
        command.erase(at, 1);
    }
    g_auto(GStrv) argv = nullptr;
    ASSERT_TRUE(g_shell_parse_argv(command.c_str(), nullptr, &argv, nullptr));
    EXPECT_EQ(g_strv_length(argv), 1u);
    EXPECT_EQ(std::string(argv[0]), odd);
}

// GLib's parsing above lets an unescaped percent sign or backquote through,
// which a session would not; a plain path goes in as it is (see above).
TEST(DesktopExecValueTest, QuotesAndEscapesOnlyWhenNeeded) {
    EXPECT_EQ(host::desktopExecValue("/home/a b/100%/T"), "\"/home/a b/100%%/T\"");
    EXPECT_EQ(host::desktopExecValue("/x/$HOME \"q\" `c` \\"),
              "\"/x/\\$HOME \\\"q\\\" \\`c\\` \\\\\"");
}

}  // namespace
