// The menu bar on an LXQt desktop: a real lxqt-panel along the top (and one
// along the bottom), run by lxqt-session under openbox or on its own. The
// top panel's `hidable` in panel.conf follows Tarnwick's setting and the
// other way round; the session restarts the panel so it takes the change.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <sstream>
#include <thread>

#include "Tarnwick.h"
#include "e2e/PanelClicks.h"
#include "e2e/PanelWindows.h"
#include "support/PrivateDesktop.h"
#include "support/Process.h"

namespace {

constexpr const char* panelProgram = "lxqt-panel";

const std::string panelSettings = R"([General]
__userfile__=true
panels=panel1, panel2

[clock]
type=worldclock

[panel1]
alignment=-1
desktop=0
plugins=spacer, clock
position=Top

[panel2]
plugins=spacer
position=Bottom
width=50

[spacer]
type=spacer
)";

// The file as it was with the top panel's `hidable` set: changed where the
// panel has one, else added where lxqt-panel puts it.
std::string withTopHidable(std::string text, const std::string& value) {
    auto section = text.find("[panel1]");
    auto line = text.find("\nhidable=", section);
    if (line != std::string::npos && line < text.find("\n[", section)) {
        auto end = text.find('\n', line + 1);
        return text.replace(line + 1, end - line - 1, "hidable=" + value);
    }
    return text.insert(text.find("plugins=spacer, clock"), "hidable=" + value + "\n");
}

// Every line of `before` but the top panel's `hidable` is still in `after`,
// in order (lxqt-panel may have added keys of its own as it ended).
::testing::AssertionResult keepsEveryOtherLine(const std::string& before,
                                               const std::string& after) {
    std::istringstream was(withTopHidable(before, "x")), is(after);
    std::string line, next;
    while (std::getline(was, line)) {
        if (line == "hidable=x") continue;
        do {
            if (!std::getline(is, next))
                return ::testing::AssertionFailure() << "lost: " << line << "\n" << after;
        } while (next != line);
    }
    return ::testing::AssertionSuccess();
}

class LxqtPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!support::installed(panelProgram) || !support::installed("lxqt-session")) {
            GTEST_SKIP() << "needs LXQt's panel and session";
        }
        desktop = std::make_unique<support::PrivateDesktop>(home.path());
        ASSERT_TRUE(desktop->ready());
        support::writeFile(configFile(), panelSettings);
    }

    // lxqt-session with openbox, starting nothing but the panel.
    void startSession() {
        support::writeFile(desktop->configHome() + "/lxqt/session.conf",
                           "[General]\nwindow_manager=openbox\n");
        std::string folders = home.path() + "/xdg";
        support::writeFile(folders + "/autostart/lxqt-panel.desktop",
                           support::readFile("/etc/xdg/autostart/lxqt-panel.desktop"));
        session = desktop->start({"lxqt-session"},
                                 {{"XDG_CURRENT_DESKTOP", "LXQt"}, {"XDG_CONFIG_DIRS", folders}});
        ASSERT_TRUE(e2e::waitForTopPanel(desktop->display(), panelProgram, true, 10))
            << session->stderrText();
    }

    std::string configFile() const { return desktop->configHome() + "/lxqt/panel.conf"; }
    std::string globalFile() {
        return support::readFile(home.path() + "/config/Preferences/.GlobalPreferences.plist");
    }
    void press(const std::string& keys) { desktop->run({"xdotool", "key", keys}); }

    support::TemporaryDirectory home;
    std::unique_ptr<support::PrivateDesktop> desktop;
    std::unique_ptr<support::ChildProcess> session;
};

TEST_F(LxqtPanelTest, TheToggleEditsTheTopPanelAndTheSessionRestartsIt) {
    startSession();
    auto tarnwick = e2e::launch(home.path(), desktop->environment());
    EXPECT_TRUE(tarnwick->waitForStderr("default: Menu bar panel: lxqt-panel (pid "))
        << tarnwick->stderrText();

    auto before = support::readFile(configFile());
    press("ctrl+alt+super+m");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via hotkey: auto-hide is now on\n"));
    ASSERT_TRUE(tarnwick->waitForStderr(
        "default: Restarted lxqt-panel so that it takes the new auto-hide setting\n"))
        << tarnwick->stderrText();
    auto after = support::readFile(configFile());
    EXPECT_TRUE(keepsEveryOtherLine(before, after));
    EXPECT_EQ(withTopHidable(after, "true"), after);
    EXPECT_EQ(after.find("hidable=true", after.find("[panel2]")), std::string::npos);
    // The restarted panel shows itself for a few seconds, then hides, and
    // stays hidden.
    EXPECT_TRUE(e2e::waitForTopPanel(desktop->display(), panelProgram, false, 15))
        << tarnwick->stderrText();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(e2e::topPanelHidden(desktop->display(), panelProgram));

    press("ctrl+alt+super+m");
    ASSERT_TRUE(tarnwick->waitForStderr("default: Toggled via hotkey: auto-hide is now off\n"));
    EXPECT_TRUE(e2e::waitForTopPanel(desktop->display(), panelProgram, true, 10));
    EXPECT_EQ(tarnwick->stderrText().find("error:"), std::string::npos) << tarnwick->stderrText();
}

TEST_F(LxqtPanelTest, WithoutTheSessionTheChangeWaitsAndEditsFromOutsideAreFollowed) {
    auto panel = desktop->start({panelProgram});
    ASSERT_TRUE(e2e::waitForTopPanel(desktop->display(), panelProgram, true, 10))
        << panel->stderrText();
    auto tarnwick = e2e::launch(home.path(), desktop->environment());

    auto before = support::readFile(configFile());
    press("ctrl+alt+super+m");
    ASSERT_TRUE(
        tarnwick->waitForStderr("default: lxqt-panel takes the new auto-hide setting at its next "
                                "start: no lxqt-session runs it\n"))
        << tarnwick->stderrText();
    EXPECT_EQ(support::readFile(configFile()), withTopHidable(before, "true"));

    // Someone else switches it off again, as the panel's own settings would.
    support::writeFile(configFile(), withTopHidable(before, "false"));
    ASSERT_TRUE(tarnwick->waitForStderr("default: Auto-hide changed in lxqt-panel: off\n"))
        << tarnwick->stderrText();
    EXPECT_NE(globalFile().find("<false/>"), std::string::npos);
}

// lxqt-panel calls Activate on a left click instead of opening the menu it
// was given: Tarnwick shows the same menu itself, and nothing else changes.
TEST_F(LxqtPanelTest, ALeftClickOnTheIconOpensTarnwicksMenuAndChangesNothing) {
    std::string settings = panelSettings;
    settings.replace(settings.find("plugins=spacer, clock"), 21, "plugins=spacer, clock, statusnotifier");
    support::writeFile(configFile(), settings + "\n[statusnotifier]\ntype=statusnotifier\n");
    auto panel = desktop->start({panelProgram});
    ASSERT_TRUE(e2e::waitForTopPanel(desktop->display(), panelProgram, true, 10)) << panel->stderrText();
    auto tarnwick = e2e::launch(home.path(), desktop->environment());
    // The icon is the last thing on the top panel.
    auto top = e2e::topPanelWindow(desktop->display(), panelProgram);
    ASSERT_TRUE(top.has_value());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    desktop->run({"xdotool", "mousemove", std::to_string(top->x + top->width - 14),
                  std::to_string(top->y + top->height / 2), "click", "1"});

    std::optional<e2e::PanelWindow> menu;
    for (int attempt = 0; attempt < 40 && !menu; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        menu = e2e::tarnwickMenu(desktop->display());
    }
    ASSERT_TRUE(menu.has_value()) << tarnwick->stderrText();
    EXPECT_NEAR(menu->x, top->x + top->width - 14, 300);
    desktop->run({"xdotool", "key", "Escape"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(e2e::tarnwickMenu(desktop->display()).has_value());
    EXPECT_EQ(tarnwick->stderrText().find("Toggled"), std::string::npos) << tarnwick->stderrText();
}

// What is under a right-click comes from the panel's accessibility data:
// the menu button, a task, the clock and the status icons are left alone;
// the task bar's empty stretch toggles by right-click and by Control-click.
TEST_F(LxqtPanelTest, OnlyThePanelsEmptyStretchTogglesOnARightClick) {
    std::string settings = panelSettings;
    settings.replace(settings.find("plugins=spacer, clock"), 21,
                     "plugins=mainmenu, taskbar, spacer, clock, statusnotifier");
    support::writeFile(configFile(), settings +
                                         "\n[mainmenu]\ntype=mainmenu\n\n[taskbar]\ntype=taskbar\n"
                                         "\n[statusnotifier]\ntype=statusnotifier\n");
    e2e::startAccessibilityBus(*desktop);
    auto windowManager = desktop->start({"openbox"});
    auto panel = desktop->start({panelProgram});
    ASSERT_TRUE(e2e::waitForTopPanel(desktop->display(), panelProgram, true, 10))
        << panel->stderrText();
    auto others = e2e::startOtherPrograms(*desktop);
    auto tarnwick = e2e::launch(home.path(), desktop->environment());
    auto top = e2e::topPanelWindow(desktop->display(), panelProgram);
    ASSERT_TRUE(top.has_value());
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the icons settle in the panel
    int middle = top->y + top->height / 2, right = top->x + top->width;
    e2e::rightClickEach(*desktop, {{top->x + 15, middle},   // the main menu
                                   {top->x + 100, middle},  // the helper's task
                                   {right - 75, middle},    // the clock
                                   {right - 45, middle},    // a status icon
                                   {right - 15, middle}});  // the other one
    EXPECT_EQ(e2e::rightClickToggles(tarnwick->stderrText()), 0) << tarnwick->stderrText();

    std::pair<int, int> empty{top->x + top->width / 2, middle};
    e2e::rightClickEach(*desktop, {empty});
    EXPECT_TRUE(e2e::waitForRightClickToggles(*tarnwick, 1)) << tarnwick->stderrText();
    e2e::controlClick(*desktop, empty);
    EXPECT_TRUE(e2e::waitForRightClickToggles(*tarnwick, 2)) << tarnwick->stderrText();
}

// The symbol stands out from the panel by at least 4.5:1 with no theme
// chosen (a black panel), under Debian's default (Clearlooks, light) and
// LXQt's dark and light themes, each taken up at the panel's next start
// while Tarnwick runs.
TEST_F(LxqtPanelTest, TheIconStandsOutUnderTheDefaultDarkAndLightThemes) {
    std::string settings = panelSettings;
    settings.replace(settings.find("plugins=spacer, clock"), 21,
                     "plugins=spacer, clock, statusnotifier");
    support::writeFile(configFile(), settings + "\n[statusnotifier]\ntype=statusnotifier\n");
    std::unique_ptr<support::ChildProcess> tarnwick;
    for (std::string theme : {"", "Clearlooks", "dark", "light"}) {
        if (!theme.empty()) {
            support::writeFile(desktop->configHome() + "/lxqt/lxqt.conf",
                               "[General]\ntheme=" + theme + "\n");
        }
        auto panel = desktop->start({panelProgram});
        ASSERT_TRUE(e2e::waitForTopPanel(desktop->display(), panelProgram, true, 10))
            << panel->stderrText();
        if (!tarnwick) tarnwick = e2e::launch(home.path(), desktop->environment());
        support::StatusPanel statusPanel(tarnwick->pid(), desktop->busAddress());
        ASSERT_TRUE(statusPanel.waitForItem());
        // Tarnwick looks at the panel every few seconds.
        std::optional<double> symbol, background;
        statusPanel.waitUntil(
            [&] {
                symbol = e2e::inkLuminance(statusPanel.icon().back());
                background = e2e::topPanelLuminance(desktop->display(), panelProgram);
                return symbol && background && e2e::contrast(*symbol, *background) >= 4.5;
            },
            std::chrono::seconds(8));
        ASSERT_TRUE(symbol && background) << theme;
        EXPECT_GE(e2e::contrast(*symbol, *background), 4.5)
            << "theme '" << theme << "': symbol " << *symbol << " on " << *background;
        panel->signal(SIGTERM);
        panel->wait();
    }
}

}  // namespace
