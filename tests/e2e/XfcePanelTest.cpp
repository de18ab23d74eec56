// The menu bar on an Xfce desktop: a real xfce4-panel along the top (and a
// second one along the bottom) under xfwm4, with its settings in a real
// xfconfd. Tarnwick's setting and the top panel's own auto-hide follow each
// other, and the panel really moves off the screen.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "Tarnwick.h"
#include "e2e/PanelClicks.h"
#include "e2e/PanelWindows.h"
#include "support/Bundles.h"
#include "support/PrivateDesktop.h"
#include "support/Process.h"
#include "support/StatusPanel.h"

namespace {

constexpr const char* panelProgram = "xfce4-panel";

// A top panel of full width with an expanding separator and a clock, and a
// half-width bottom panel that must never be touched.
std::string panelSettings(const std::string& topBehavior, bool dark = false) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <value type="int" value="2"/>
    <property name="dark-mode" type="bool" value=")" +
           std::string(dark ? "true" : "false") + R"("/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="26"/>)" +
           topBehavior + R"(
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
    <property name="panel-2" type="empty">
      <property name="position" type="string" value="p=10;x=0;y=0"/>
      <property name="length" type="uint" value="50"/>
      <property name="size" type="uint" value="40"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="3"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
    </property>
    <property name="plugin-2" type="string" value="clock"/>
    <property name="plugin-3" type="string" value="separator"/>
  </property>
</channel>
)";
}

// The top panel as people have it: the applications menu, the task list, an
// expanding separator, the clock and the notification area, in that order.
std::string panelSettingsWithItems() {
    std::string settings = panelSettings("");
    const std::string topIds = R"(<value type="int" value="1"/>
        <value type="int" value="2"/>)";
    settings.replace(settings.find(topIds), topIds.size(), R"(<value type="int" value="4"/>
        <value type="int" value="5"/>
        <value type="int" value="1"/>
        <value type="int" value="2"/>
        <value type="int" value="6"/>)");
    const std::string lastPlugin = R"(<property name="plugin-3" type="string" value="separator"/>)";
    settings.replace(settings.find(lastPlugin), lastPlugin.size(), lastPlugin + R"(
    <property name="plugin-4" type="string" value="applicationsmenu"/>
    <property name="plugin-5" type="string" value="tasklist"/>
    <property name="plugin-6" type="string" value="systray"/>)");
    return settings;
}

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body +
           "</dict></plist>\n";
}

class XfcePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!support::installed(panelProgram) || !support::installed("xfwm4"))
            GTEST_SKIP() << "needs Xfce's panel";
        desktop = std::make_unique<support::PrivateDesktop>(home.path());
        ASSERT_TRUE(desktop->ready());
    }

    // The window manager and the panel, with the top panel's auto-hide
    // stored as `topBehavior` (an xfconf property line, or nothing).
    // With `waitForPanel`, returns once the panel shows as stored.
    void startXfce(const std::string& topBehavior = "", bool waitForPanel = true, bool dark = false) {
        startXfceWith(panelSettings(topBehavior, dark), topBehavior.empty(), waitForPanel);
    }
    void startXfceWith(const std::string& settings, bool shownAtFirst = true,
                       bool waitForPanel = true) {
        support::writeFile(
            desktop->configHome() + "/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml", settings);
        windowManager = desktop->start({"xfwm4", "--compositor=off"});
        panel = desktop->start({panelProgram});
        if (!waitForPanel) return;
        ASSERT_TRUE(e2e::waitForTopPanel(desktop->display(), panelProgram, shownAtFirst, 10))
            << panel->stderrText();
    }

    std::unique_ptr<support::ChildProcess> launch() {
        return e2e::launch(home.path(), desktop->environment());
    }

    std::string query(const std::string& property) {
        return desktop->run({"xfconf-query", "-c", "xfce4-panel", "-p", property});
    }
    std::string topBehavior() { return query("/panels/panel-1/autohide-behavior"); }
    bool behaviorBecomes(const std::string& value) {
        for (int attempt = 0; attempt < 40 && topBehavior() != value; ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return topBehavior() == value;
    }
    void setTopBehavior(const std::string& value) {
        desktop->run({"xfconf-query", "-c", "xfce4-panel", "-p",
                      "/panels/panel-1/autohide-behavior", "-n", "-t", "uint", "-s", value});
    }
    bool missing(const std::string& property) {
        support::ChildProcess child({"xfconf-query", "-c", "xfce4-panel", "-p", property},
                                    desktop->environment());
        return child.wait() != 0;
    }
    std::string globalFile() {
        return support::readFile(home.path() + "/config/Preferences/.GlobalPreferences.plist");
    }
    bool shown(bool expected, double seconds = 2) {
        return e2e::waitForTopPanel(desktop->display(), panelProgram, expected, seconds);
    }
    void press(const std::string& keys) { desktop->run({"xdotool", "key", keys}); }

    support::TemporaryDirectory home;
    std::unique_ptr<support::PrivateDesktop> desktop;
    std::unique_ptr<support::ChildProcess> windowManager;
    std::unique_ptr<support::ChildProcess> panel;
};

TEST_F(XfcePanelTest, TheShortcutAndTheStatusMenuHideAndShowTheTopPanelOnly) {
    startXfce();
    auto tarnwick = launch();
    EXPECT_TRUE(tarnwick->waitForStderr("default: Menu bar panel: xfce4-panel (pid "))
        << tarnwick->stderrText();

    press("ctrl+alt+super+m");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via hotkey: auto-hide is now on\n"));
    EXPECT_TRUE(shown(false)) << tarnwick->stderrText();
    EXPECT_EQ(topBehavior(), "2\n");
    press("ctrl+alt+super+m");
    EXPECT_TRUE(shown(true));
    EXPECT_EQ(topBehavior(), "0\n");

    support::StatusPanel statusPanel(tarnwick->pid(), desktop->busAddress());
    ASSERT_TRUE(statusPanel.waitForItem());
    ASSERT_TRUE(statusPanel.click("Auto-hide Menu Bar"));
    EXPECT_TRUE(shown(false));
    ASSERT_TRUE(statusPanel.click("Auto-hide Menu Bar"));
    EXPECT_TRUE(shown(true));
    EXPECT_TRUE(missing("/panels/panel-2/autohide-behavior"));
    EXPECT_EQ(tarnwick->stderrText().find("error:"), std::string::npos) << tarnwick->stderrText();
}

TEST_F(XfcePanelTest, ChangesMadeInXfceBecomeTheSettingAndTheChosenBehaviourIsKept) {
    startXfce();
    auto tarnwick = launch();
    support::StatusPanel statusPanel(tarnwick->pid(), desktop->busAddress());
    ASSERT_TRUE(statusPanel.waitForItem());

    setTopBehavior("2");
    EXPECT_TRUE(
        statusPanel.waitUntil([&] { return statusPanel.toolTip() == "Menu bar auto-hide is on"; },
                              std::chrono::seconds(1)))
        << statusPanel.toolTip();
    EXPECT_NE(globalFile().find("<key>_HIHideMenuBar</key>\n\t<true/>"), std::string::npos)
        << globalFile();

    // "Intelligently" survives a round trip through Tarnwick, even with a
    // restart while the panel was off.
    setTopBehavior("1");
    press("ctrl+alt+super+m");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via hotkey: auto-hide is now off\n"));
    EXPECT_TRUE(shown(true));
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(), 0);
    tarnwick = launch();
    press("ctrl+alt+super+m");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via hotkey: auto-hide is now on\n"));
    // (Intelligently hides only while a window would cover the panel.)
    EXPECT_TRUE(behaviorBecomes("1\n")) << topBehavior();
}

TEST_F(XfcePanelTest, AtLaunchThePanelsOwnStateIsTheSetting) {
    support::writeFile(home.path() + "/config/Preferences/.GlobalPreferences.plist",
                       plist("<key>_HIHideMenuBar</key><false/>"));
    startXfce(R"(
      <property name="autohide-behavior" type="uint" value="2"/>)");
    auto tarnwick = launch();
    EXPECT_NE(tarnwick->stderrText().find("default: Auto-hide taken from xfce4-panel: on\n"),
              std::string::npos)
        << tarnwick->stderrText();
    EXPECT_NE(tarnwick->stderrText().find("Tarnwick launched; auto-hide on,"), std::string::npos);
    EXPECT_NE(globalFile().find("<true/>"), std::string::npos);
    EXPECT_TRUE(shown(false));
}

// A panel that comes after Tarnwick is given the stored setting (rules and
// the user have acted on it since the panel last saved its own); one that
// ends is let go.
TEST_F(XfcePanelTest, APanelThatStartsLaterGetsTheSettingAndOneThatEndsIsLetGo) {
    support::writeFile(home.path() + "/config/Preferences/.GlobalPreferences.plist",
                       plist("<key>_HIHideMenuBar</key><true/>"));
    auto tarnwick = launch();
    EXPECT_NE(tarnwick->stderrText().find("default: No menu bar panel we can hide (found no panel"),
              std::string::npos)
        << tarnwick->stderrText();

    startXfce("", false);
    ASSERT_TRUE(tarnwick->waitForStderr("default: Menu bar panel: xfce4-panel (pid "))
        << tarnwick->stderrText();
    EXPECT_TRUE(shown(false));
    EXPECT_EQ(topBehavior(), "2\n");

    auto pid = panel->pid();
    panel->signal(SIGTERM);
    panel->wait();
    EXPECT_TRUE(tarnwick->waitForStderr("default: Menu bar panel xfce4-panel (pid " +
                                        std::to_string(pid) +
                                        ") has gone; the auto-hide setting is only stored\n"))
        << tarnwick->stderrText();
}

TEST_F(XfcePanelTest, ARuleHidesThePanelWhileItsAppIsInFrontAndQuittingPutsItBack) {
    startXfce();
    support::TemporaryDirectory apps;
    auto start = [&](const std::string& name, const std::string& identifier) {
        auto program = support::makeBundle(apps.path(), name, identifier, HOST_TEST_HELPER);
        auto process = desktop->start({program, "workspace-window", name, name});
        EXPECT_TRUE(process->waitForStdout("\n"));
        auto text = process->stdoutText();
        return std::make_pair(
            std::move(process),
            text.substr(text.find(' ') + 1, text.find('\n') - text.find(' ') - 1));
    };
    auto alpha = start("Alpha", "com.example.alpha");
    auto beta = start("Beta", "com.example.beta");
    support::writeFile(
        home.path() + "/config/Preferences/app.tarnwick.Tarnwick.plist",
        plist(
            "<key>appRules</key><array><dict><key>bundleID</key><string>com.example.alpha</string>"
            "<key>name</key><string>Alpha</string><key>autoHide</key><true/></dict></array>"
            "<key>didShowSettingsOnFirstLaunch</key><true/>"));
    auto activate = [&](const std::string& window) {
        desktop->run({"xdotool", "windowactivate", window});
    };
    activate(beta.second);
    auto tarnwick = launch();

    activate(alpha.second);
    ASSERT_TRUE(tarnwick->waitForStderr("default: Rule: auto-hide on (Alpha)\n"))
        << tarnwick->stderrText();
    EXPECT_TRUE(shown(false));
    activate(beta.second);
    ASSERT_TRUE(
        tarnwick->waitForStderr("default: Rule: auto-hide off (leaving the last rule's app)\n"));
    EXPECT_TRUE(shown(true));

    activate(alpha.second);
    EXPECT_TRUE(shown(false));
    tarnwick->signal(SIGTERM);
    EXPECT_EQ(tarnwick->wait(), 0);
    EXPECT_EQ(topBehavior(), "0\n");
    EXPECT_TRUE(shown(true));
}

TEST_F(XfcePanelTest, WhenXfconfDoesNotAnswerTheErrorIsLoggedAndTheSettingKeepsWhatWasAsked) {
    startXfce();
    auto tarnwick = launch();
    support::StatusPanel statusPanel(tarnwick->pid(), desktop->busAddress());
    ASSERT_TRUE(statusPanel.waitForItem());
    auto daemon = desktop->run(
        {"gdbus", "call", "--session", "-d", "org.freedesktop.DBus", "-o", "/org/freedesktop/DBus",
         "-m", "org.freedesktop.DBus.GetConnectionUnixProcessID", "org.xfce.Xfconf"});
    int pid = std::stoi(daemon.substr(daemon.find("uint32 ") + 7));
    kill(pid, SIGSTOP);
    press("ctrl+alt+super+m");
    EXPECT_TRUE(tarnwick->waitForStderr("error: Couldn't turn auto-hide on for xfce4-panel (pid "))
        << tarnwick->stderrText();
    kill(pid, SIGCONT);
    EXPECT_NE(globalFile().find("<true/>"), std::string::npos);
    EXPECT_TRUE(
        statusPanel.waitUntil([&] { return statusPanel.toolTip() == "Menu bar auto-hide is on"; }));
    EXPECT_TRUE(missing("/panels/panel-1/autohide-behavior"));
}

// The symbol in the tray stands out from the panel: white on Xfce's dark
// panel, black once the panel turns light, by at least 4.5:1.
TEST_F(XfcePanelTest, TheIconStandsOutOnDarkAndLightPanelsAndFollowsTheTheme) {
    startXfce("", true, true);
    auto tarnwick = launch();
    support::StatusPanel statusPanel(tarnwick->pid(), desktop->busAddress());
    ASSERT_TRUE(statusPanel.waitForItem());
    for (bool dark : {true, false}) {
        if (!dark) {
            desktop->run({"xfconf-query", "-c", "xfce4-panel", "-p", "/panels/dark-mode", "-s", "false"});
        }
        // Tarnwick looks at the panel every few seconds.
        std::optional<double> symbol;
        statusPanel.waitUntil(
            [&] {
                symbol = e2e::inkLuminance(statusPanel.icon().back());
                return symbol && (*symbol > 0.5) == dark;
            },
            std::chrono::seconds(8));
        auto background = e2e::topPanelLuminance(desktop->display(), panelProgram);
        ASSERT_TRUE(background.has_value());
        ASSERT_TRUE(symbol.has_value());
        EXPECT_EQ(*symbol > 0.5, dark) << "background " << *background;
        EXPECT_GE(e2e::contrast(*symbol, *background), 4.5)
            << (dark ? "dark" : "light") << " panel at " << *background;
    }
}

// The panel draws every item in its one window; what is under a click comes
// from its accessibility data, and from the windows of older tray icons
// embedded in it. Items are left alone, the empty stretch toggles by
// right-click and by Control-click.
TEST_F(XfcePanelTest, OnlyThePanelsEmptyStretchTogglesOnARightClick) {
    e2e::startAccessibilityBus(*desktop);
    startXfceWith(panelSettingsWithItems());
    auto others = e2e::startOtherPrograms(*desktop, true);
    auto tarnwick = launch();
    auto top = e2e::topPanelWindow(desktop->display(), panelProgram);
    ASSERT_TRUE(top.has_value());
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the icons settle in the tray
    int middle = top->y + top->height / 2, right = top->x + top->width;
    e2e::rightClickEach(*desktop, {{top->x + 10, middle},   // the applications menu
                                   {top->x + 200, middle},  // the helper's task
                                   {right - 80, middle},    // the clock
                                   {right - 33, middle},    // Tarnwick's icon
                                   {right - 10, middle}});  // the helper's, which came first
    e2e::rightClickTrayIcon(*desktop);
    EXPECT_EQ(e2e::rightClickToggles(tarnwick->stderrText()), 0) << tarnwick->stderrText();

    // A left click on Tarnwick's icon opens its menu, which the panel draws
    // itself from the one Tarnwick exports.
    desktop->run({"xdotool", "mousemove", std::to_string(right - 33), std::to_string(middle), "click", "1"});
    std::optional<e2e::PanelWindow> menu;
    for (int attempt = 0; attempt < 40 && !menu; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        menu = e2e::menuOpenBelow(desktop->display(), top->y + top->height);
    }
    EXPECT_TRUE(menu.has_value());
    press("Escape");

    std::pair<int, int> empty{top->x + top->width / 2, middle};
    e2e::rightClickEach(*desktop, {empty});
    EXPECT_TRUE(e2e::waitForRightClickToggles(*tarnwick, 1)) << tarnwick->stderrText();
    // The panel hid; the shortcut brings it back for the Control-click.
    press("ctrl+alt+super+m");
    ASSERT_TRUE(shown(true));
    e2e::controlClick(*desktop, empty);
    EXPECT_TRUE(e2e::waitForRightClickToggles(*tarnwick, 2)) << tarnwick->stderrText();

    // A left-handed mouse: its left button is the logical right one. The
    // panel stays up while the pointer is on it, and clicks are handled in
    // turn, so a toggle by the logical left click would come before the
    // next right-click's.
    desktop->run({"xmodmap", "-e", "pointer = 3 2 1"});
    e2e::clickEach(*desktop, 1, {empty});
    EXPECT_TRUE(e2e::waitForRightClickToggles(*tarnwick, 3)) << tarnwick->stderrText();
    e2e::clickEach(*desktop, 3, {empty});
    e2e::clickEach(*desktop, 1, {empty});
    EXPECT_TRUE(e2e::waitForRightClickToggles(*tarnwick, 4)) << tarnwick->stderrText();
}

// Two monitors side by side on one wide screen, the right one primary. The
// panel sits on the monitor that has the server's one output, so it moves
// from one to the other with it. On either monitor its empty stretch
// toggles, and the other monitor's bare top edge does not.
TEST_F(XfcePanelTest, APanelOnEitherMonitorTogglesAlikeWhenTheRightOneIsPrimary) {
    desktop.reset();  // for a wider one
    desktop = std::make_unique<support::PrivateDesktop>(home.path(), 2560, 800);
    ASSERT_TRUE(desktop->ready());
    auto arrange = [&](bool outputOnTheLeft) {
        desktop->run({"xrandr", "--setmonitor", "left", "1280/338x800/211+0+0",
                      outputOnTheLeft ? "screen" : "none"});
        desktop->run({"xrandr", "--setmonitor", "*right", "1280/338x800/211+1280+0",
                      outputOnTheLeft ? "none" : "screen"});
    };
    arrange(false);
    e2e::startAccessibilityBus(*desktop);
    startXfce();
    auto tarnwick = launch();

    // The panel's empty stretch toggles, the other monitor's bare top edge
    // does not.
    int toggles = 0;
    auto rightClickAround = [&](int panelX) {
        std::optional<e2e::PanelWindow> top;
        for (int attempt = 0; attempt < 100 && (!top || top->x != panelX); ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            top = e2e::topPanelWindow(desktop->display(), panelProgram);
        }
        ASSERT_TRUE(top && top->x == panelX);
        int middle = top->y + top->height / 2;
        e2e::rightClickEach(*desktop, {{2560 - panelX - 640, middle}});
        EXPECT_EQ(e2e::rightClickToggles(tarnwick->stderrText()), toggles) << "panel at " << panelX;
        e2e::rightClickEach(*desktop, {{panelX + 640, middle}});
        EXPECT_TRUE(e2e::waitForRightClickToggles(*tarnwick, ++toggles)) << "panel at " << panelX;
    };
    rightClickAround(1280);
    press("ctrl+alt+super+m");  // the panel stays shown when it moves
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via hotkey: auto-hide is now off\n"));
    desktop->run({"xrandr", "--delmonitor", "left", "--delmonitor", "right"});
    arrange(true);
    desktop->run({panelProgram, "--restart"});
    rightClickAround(0);
}

}  // namespace
