// The program's own code against the real host: files, the session bus and
// the keyboard layouts of xkb-data.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "host/PropertyList.h"
#include "support/Process.h"
#include "support/ServerKeymap.h"

namespace {

constexpr const char* changed = "AppleInterfaceMenuBarHidingChangedNotification";

class ToggleOnHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!getenv("DBUS_SESSION_BUS_ADDRESS")) GTEST_SKIP() << "needs a D-Bus session";
    }
    std::string folder() const { return home.path() + "/Preferences"; }
    std::string globalFile() const { return folder() + "/.GlobalPreferences.plist"; }
    std::optional<bool> storedSetting() const {
        auto stored = host::readPropertyListFile(globalFile());
        if (!stored || !stored->dictionary()) return std::nullopt;
        auto* value = platform::find(*stored->dictionary(), "_HIHideMenuBar");
        if (!value) return std::nullopt;
        return value->boolean();
    }
    // Runs one toggle in its own process while another process listens;
    // answers what the toggle wrote on standard error and how many
    // announcements the listener heard.
    std::pair<std::string, int> toggleWhileListening() {
        support::ChildProcess listener({HOST_TEST_HELPER, "listen", changed, "1.5"});
        EXPECT_TRUE(listener.waitForStdout("ready\n"));
        support::ChildProcess toggle({HOST_TEST_HELPER, "toggle"},
                                     {{"XDG_CONFIG_HOME", home.path()}});
        EXPECT_EQ(toggle.wait(), 0);
        EXPECT_EQ(listener.wait(), 0);
        int heard = 0;
        for (auto at = listener.stdoutText().find(changed); at != std::string::npos;
             at = listener.stdoutText().find(changed, at + 1)) {
            ++heard;
        }
        return {toggle.stderrText(), heard};
    }

    support::TemporaryDirectory home;
};

TEST_F(ToggleOnHostTest, FlipsTheGlobalFileAndAnnouncesItOnceToOtherProcesses) {
    auto [log, heard] = toggleWhileListening();
    EXPECT_NE(log.find("default: Toggled via menu: auto-hide is now on\n"), std::string::npos);
    EXPECT_EQ(storedSetting(), true);
    EXPECT_EQ(heard, 1);

    std::tie(log, heard) = toggleWhileListening();
    EXPECT_NE(log.find("auto-hide is now off"), std::string::npos);
    EXPECT_EQ(storedSetting(), false);
    EXPECT_EQ(heard, 1);
}

TEST_F(ToggleOnHostTest, AnUnwritableFolderIsLoggedAndNothingIsAnnounced) {
    // A file where the folder should be stops every write, root's included.
    support::writeFile(folder(), "not a folder");
    auto [log, heard] = toggleWhileListening();
    EXPECT_NE(log.find("error: Couldn't write the menu bar setting\n"), std::string::npos) << log;
    EXPECT_NE(log.find("default: Toggled via menu: auto-hide is now on\n"), std::string::npos);
    EXPECT_EQ(heard, 0);
}

TEST_F(ToggleOnHostTest, AReadOnlyFolderIsLoggedAndNothingIsAnnounced) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    mkdir(folder().c_str(), 0555);
    auto [log, heard] = toggleWhileListening();
    EXPECT_NE(log.find("error: Couldn't write the menu bar setting\n"), std::string::npos) << log;
    EXPECT_EQ(heard, 0);
}

// Key names as the program gives them, with `layout` as the desktop's
// configured layout and, unless `onDisplay`, no X server to ask.
std::map<std::string, std::string> keyNames(const std::string& layout,
                                            const std::vector<std::string>& codes,
                                            bool onDisplay = false) {
    std::vector<std::string> argv{HOST_TEST_HELPER, "key-names"};
    argv.insert(argv.end(), codes.begin(), codes.end());
    std::map<std::string, std::string> environment{{"XKB_DEFAULT_LAYOUT", layout}};
    if (!onDisplay) environment["DISPLAY"] = "";
    support::ChildProcess names(argv, environment);
    EXPECT_EQ(names.wait(), 0);
    std::map<std::string, std::string> result;
    std::istringstream lines(names.stdoutText());
    for (std::string code, name; lines >> code && std::getline(lines >> std::ws, name);) {
        result[code] = name;
    }
    return result;
}

TEST(KeyNamesOnHost, FollowTheServersKeyboardElseTheDesktopLayout) {
    auto us = keyNames("us", {"0", "6", "96"});
    EXPECT_EQ(us["0"], "A");
    EXPECT_EQ(us["6"], "Z");
    EXPECT_EQ(us["96"], "F5");
    auto de = keyNames("de", {"6", "16", "96"});
    EXPECT_EQ(de["6"], "Y");
    EXPECT_EQ(de["16"], "Z");
    EXPECT_EQ(de["96"], "F5");
    auto fr = keyNames("fr", {"0", "12", "96"});
    EXPECT_EQ(fr["0"], "Q");
    EXPECT_EQ(fr["12"], "A");
    EXPECT_EQ(fr["96"], "F5");

    if (!getenv("DISPLAY")) return;
    support::ServerKeymap keymap;
    keymap.setLayouts("de");
    auto server = keyNames("fr", {"0", "16"}, true);
    EXPECT_EQ(server["0"], "A");
    EXPECT_EQ(server["16"], "Z");
}

// Launch at login through the controller, as the status menu will use it:
// the autostart entry comes and goes, and a refusal is explained.
TEST(LaunchAtLoginOnHostTest, TogglesTheAutostartEntryAndExplainsARefusal) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "the refusal is shown in a window";
    support::TemporaryDirectory home;
    std::map<std::string, std::string> environment{{"XDG_CONFIG_HOME", home.path()}, {"HOME", home.path()}};
    auto entry = home.path() + "/autostart/app.tarnwick.Tarnwick.desktop";
    auto toggle = [&] {
        support::ChildProcess child({HOST_TEST_HELPER, "login-toggle"}, environment);
        EXPECT_EQ(child.wait(), 0) << child.stderrText();
        return child.stdoutText();
    };
    EXPECT_EQ(toggle(), "status 1\n");
    EXPECT_TRUE(support::fileExists(entry));
    EXPECT_EQ(toggle(), "status 0\n");
    EXPECT_FALSE(support::fileExists(entry));

    // A file where the autostart folder should be: the entry cannot be written.
    unlink((home.path() + "/autostart").c_str());
    rmdir((home.path() + "/autostart").c_str());
    support::writeFile(home.path() + "/autostart", "");
    auto shown = toggle();
    EXPECT_NE(shown.find("alert Couldn't change Launch at Login\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\n\nThis usually means the app isn't in a permanent location yet. Move Tarnwick.app to "
                         "/Applications (or run ./build.sh install) and try again.\n"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("status 0\n"), std::string::npos);
}

}  // namespace
