// Rules for the applications of this desktop, made as a person makes them:
// xterm runs under a real window manager, the rules list's add menu offers
// it under "Running Apps" with its icon, and "Choose Application…" opens
// where desktop entries live and takes one.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "Tarnwick.h"
#include "e2e/PanelWindows.h"
#include "e2e/ScreenPixels.h"
#include "e2e/SettingsSpots.h"
#include "kit/FolderListing.h"
#include "kit/MenuView.h"
#include "support/PrivateDesktop.h"
#include "support/Process.h"

namespace {

constexpr const char* applications = "/usr/share/applications";
constexpr const char* xtermEntry = "debian-xterm.desktop";

class AddRuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!support::installed("openbox") || !support::installed("xterm") ||
            !std::filesystem::exists(std::string(applications) + "/" + xtermEntry)) {
            GTEST_SKIP() << "needs openbox and Debian's xterm";
        }
        desktop = std::make_unique<support::PrivateDesktop>(home.path());
        ASSERT_TRUE(desktop->ready());
        manager = desktop->start({"openbox"});
        ASSERT_TRUE(desktop->waitForWindowManager()) << manager->stderrText();
        xterm = desktop->start({"xterm"});
        std::istringstream(desktop->run({"xdotool", "search", "--sync", "--class", "XTerm"})) >>
            xtermWindow;
        tarnwick = e2e::launch(home.path(), desktop->environment());
        ASSERT_TRUE(tarnwick->waitForStderr("Settings window shown")) << tarnwick->stderrText();
        std::istringstream(desktop->run({"xdotool", "search", "--name", "^Tarnwick Settings$"})) >>
            window;
        ASSERT_NE(window, 0u);
    }
    void TearDown() override {
        if (!tarnwick) return;
        tarnwick->signal(SIGTERM);
        EXPECT_EQ(tarnwick->wait(), 0);
    }

    // Clicks the + (or −) half of the buttons under the rules list.
    void clickAddRemove(bool add) {
        kit::Rect buttons = spots.addRemove;
        double x = buttons.minX() + buttons.width() * (add ? 0.25 : 0.75);
        desktop->run({"xdotool", "mousemove", "--window", std::to_string(window),
                      std::to_string(int(x)), std::to_string(int(buttons.midY())), "click", "1"});
        settle();
    }
    void keys(const std::vector<std::string>& names) {
        for (const auto& name : names) {
            desktop->run({"xdotool", "key", name});
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        }
        settle();
    }
    static void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(500)); }
    std::string stored() const {
        return support::readFile(home.path() + "/config/Preferences/app.tarnwick.Tarnwick.plist");
    }
    // The stored rules, without the recently used applications beside them.
    std::string storedRules() const {
        auto text = stored();
        auto start = text.find("<key>appRules</key>");
        if (start == std::string::npos) return "";
        // Rules are dictionaries: their array ends at the first </array>,
        // or is empty.
        auto end = std::min(text.find("</array>", start), text.find("<array/>", start));
        return text.substr(start, end - start);
    }
    bool hasRuleFor(const std::string& identifier) const {
        return storedRules().find("<string>" + identifier + "</string>") != std::string::npos;
    }
    // How many presses of ↓ take the open panel's list, starting in the
    // applications folder with nothing selected, to `name`: entries that can
    // be chosen (folders and desktop entries) are stopped at, others skipped.
    static int downPressesTo(const std::string& name) {
        int presses = 0;
        for (const auto& entry : kit::FolderListing::entries(applications)) {
            bool choosable = entry.kind == kit::FolderEntry::Kind::folder ||
                             std::filesystem::path(entry.name).extension() == ".desktop";
            if (choosable) ++presses;
            if (entry.name == name) return presses;
        }
        return 0;
    }

    support::TemporaryDirectory home;
    std::unique_ptr<support::PrivateDesktop> desktop;
    std::unique_ptr<support::ChildProcess> manager, xterm, tarnwick;
    unsigned long window = 0, xtermWindow = 0;
    e2e::SettingsSpots spots = e2e::settingsWindowSpots();
};

TEST_F(AddRuleTest, RunningAppsAndTheOpenPanelOfferXTermAndItsRuleTakesEffect) {
    // "Choose Application…" is the add menu's last item; the panel starts in
    // the applications folder and takes a desktop entry.
    clickAddRemove(true);
    keys({"Up", "Return"});
    int presses = downPressesTo(xtermEntry);
    ASSERT_GT(presses, 0);
    keys(std::vector<std::string>(presses, "Down"));
    keys({"Return"});
    ASSERT_TRUE(hasRuleFor("debian-xterm")) << stored() << tarnwick->stderrText();
    EXPECT_NE(storedRules().find("<string>XTerm</string>"), std::string::npos) << stored();

    // The new rule is selected: − removes it.
    clickAddRemove(false);
    ASSERT_FALSE(hasRuleFor("debian-xterm")) << stored();

    // "Running Apps", just above, opens on xterm: one row, with an icon.
    clickAddRemove(true);
    keys({"Up", "Up", "Right"});
    auto menus = e2e::tarnwickMenus(desktop->display());
    ASSERT_EQ(menus.size(), 2u) << "the add menu and its submenu";
    const auto& running = menus.back();
    EXPECT_EQ(running.height, int(2 * kit::MenuView::verticalPadding + kit::MenuView::itemHeight));
    int iconX = int(kit::MenuView::highlightInset + kit::MenuView::checkColumnWidth);
    int iconY = int(kit::MenuView::verticalPadding +
                    (kit::MenuView::itemHeight - kit::MenuView::imageSize) / 2);
    int side = int(kit::MenuView::imageSize);
    auto icon = e2e::pixels(running.id, {iconX, iconY, side, side}, desktop->display());
    std::set<unsigned long> colours(icon.begin(), icon.end());
    EXPECT_GE(colours.size(), 4u) << "an icon, not the empty menu's bare text";
    keys({"Return"});
    ASSERT_TRUE(hasRuleFor("debian-xterm")) << stored();

    desktop->run({"xdotool", "windowactivate", std::to_string(xtermWindow)});
    EXPECT_TRUE(tarnwick->waitForStderr("default: Rule: auto-hide on (XTerm)\n"))
        << tarnwick->stderrText();
}

}  // namespace
