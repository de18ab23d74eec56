#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "kit/Application.h"
#include "kit/StatusItem.h"

namespace {

using Entry = platform::StatusMenuEntry;
using kit::ControlState;
using kit::MenuItem;
namespace Mod = platform::ModifierFlags;

struct Target : kit::Responder {
    bool tryToPerform(const kit::Action& action, kit::Responder*) override {
        performed.push_back(action);
        return true;
    }
    std::vector<std::string> performed;
};

struct Chain : kit::ApplicationDelegate {
    bool tryToPerform(const kit::Action& action, kit::Responder*) override {
        performed.push_back(action);
        return true;
    }
    std::vector<std::string> performed;
};


class StatusItemTest : public fakes::PlatformTest {
protected:
    StatusItemTest() : item(kit::StatusItem::create()) {
        app.setDelegate(&chain);
        auto owned = std::make_unique<kit::Menu>();
        menu = owned.get();
        item->setMenu(std::move(owned));
    }

    MenuItem& add(const std::string& title, const std::string& action = "",
                  const std::string& key = "") {
        auto& added = menu->addItem(title, action, key);
        added.setTarget(&target);
        return added;
    }
    fakes::FakeStatusBar::Item& panel() { return fake.statusBar.only(); }
    const Entry& entry(const std::string& label) { return panel().entry(label); }

    kit::Application app;
    Chain chain;
    Target target;
    std::unique_ptr<kit::StatusItem> item;
    kit::Menu* menu;
};

int inkedPixels(const platform::PixelImage& image) {
    int count = 0;
    for (auto pixel : image.pixels) count += (pixel >> 24) != 0;
    return count;
}

TEST_F(StatusItemTest, ASymbolGoesOverAsPixmapsOfThreeSizesInTheColourThatShowsOnThePanel) {
    item->button().setImage(kit::Image::symbol("menubar.rectangle"));
    const auto& icon = panel().icon;
    ASSERT_EQ(icon.size(), 3u);
    for (std::size_t index = 0; index < icon.size(); ++index) {
        int side = kit::StatusBarButton::iconPixelSizes[index];
        EXPECT_EQ(icon[index].width, side);
        EXPECT_EQ(icon[index].height, side);
        EXPECT_GT(inkedPixels(icon[index]), side);
        for (auto pixel : icon[index].pixels) ASSERT_EQ(pixel & 0xffffff, 0u) << "not black";
    }

    // On a dark panel the same symbol is drawn white, as soon as the panel
    // says it turned dark.
    fake.statusBar.dark = true;
    fake.statusBar.only().callbacks.appearanceChanged();
    for (auto pixel : panel().icon.back().pixels) {
        // Premultiplied: white at any coverage has every channel at its alpha.
        std::uint32_t alpha = pixel >> 24;
        ASSERT_EQ(pixel & 0xffffff, alpha << 16 | alpha << 8 | alpha) << "not white";
    }
    EXPECT_GT(inkedPixels(panel().icon.back()), 32);

    item->button().setImage(std::nullopt);
    EXPECT_TRUE(panel().icon.empty());
}

TEST_F(StatusItemTest, TitleAndToolTipReachThePanelAndTheItemGoesWithItsOwner) {
    EXPECT_EQ(item->length(), kit::StatusItem::squareLength);
    item->button().setTitle("↑");
    item->button().setToolTip("Tarnwick");
    EXPECT_EQ(panel().title, "↑");
    EXPECT_EQ(panel().toolTip, "Tarnwick");

    auto callbacks = panel().callbacks;
    add("Quit", "terminate:", "q");
    item->menuDidChange();
    int entryIdOfQuit = entry("Quit").id;
    item.reset();
    EXPECT_TRUE(fake.statusBar.items.empty());
    // A click the panel had already queued finds nobody.
    callbacks.entryClicked(entryIdOfQuit);
    callbacks.menuWillOpen(0);
    EXPECT_TRUE(target.performed.empty());
}

TEST_F(StatusItemTest, TheMenuGoesOverAsATreeOfEntries) {
    menu->addItem(MenuItem::sectionHeader("Menu Bar"));
    auto& hidden = add("Show Hidden", "toggle:", "h");
    hidden.setState(ControlState::on);
    hidden.setKeyEquivalentModifierMask(Mod::option | Mod::command);
    add("Some Pinned").setState(ControlState::mixed);
    add("Plain", "plain:");
    menu->addItem(MenuItem::separator());
    auto& later = add("Later");
    later.setEnabled(false);
    later.setToolTip("Not yet");
    add("Move", "move:", "m")
        .setKeyEquivalentModifierMask(Mod::control | Mod::option | Mod::command);
    add("New", "new:", "N");
    add("Settings…", "settings:", ",");
    auto apps = std::make_unique<kit::Menu>();
    apps->addItem("Mail", "addApp:", "");
    add("Running Apps").setSubmenu(std::move(apps));
    add("Quit", "terminate:", "q");
    // Only global hot keys work where the panel shows the menu.
    for (const char* global : {"Show Hidden", "Move", "New", "Settings…"}) {
        for (const auto& candidate : menu->items()) {
            if (candidate->title() == global) candidate->setKeyEquivalentIsGlobal(true);
        }
    }
    item->menuDidChange();

    const auto& root = panel().menu;
    EXPECT_EQ(root.id, 0);
    ASSERT_EQ(root.children.size(), 11u);
    EXPECT_EQ(root.children[0].kind, Entry::Kind::sectionHeader);
    EXPECT_EQ(root.children[0].label, "Menu Bar");
    EXPECT_EQ(root.children[4].kind, Entry::Kind::separator);

    auto toggle = [&](const std::string& label) {
        return std::pair{entry(label).toggle, entry(label).toggleState};
    };
    EXPECT_EQ(toggle("Show Hidden"), std::pair(Entry::Toggle::checkmark, 1));
    EXPECT_EQ(toggle("Some Pinned"), std::pair(Entry::Toggle::checkmark, -1));
    EXPECT_EQ(toggle("Plain"), std::pair(Entry::Toggle::none, 0));

    using Keys = std::vector<std::string>;
    EXPECT_EQ(entry("Show Hidden").shortcut, (Keys{"Alt", "Super", "h"}));
    EXPECT_EQ(entry("Move").shortcut, (Keys{"Control", "Alt", "Super", "m"}));
    EXPECT_EQ(entry("New").shortcut, (Keys{"Shift", "Super", "n"}));
    EXPECT_EQ(entry("Settings…").shortcut, (Keys{"Super", "comma"}));
    EXPECT_TRUE(entry("Quit").shortcut.empty());
    EXPECT_TRUE(entry("Plain").shortcut.empty());

    EXPECT_FALSE(entry("Later").enabled);
    EXPECT_EQ(entry("Later").toolTip, "Not yet");
    ASSERT_EQ(entry("Running Apps").children.size(), 1u);
    EXPECT_EQ(entry("Running Apps").children[0].label, "Mail");

    std::set<int> ids;
    for (const auto& child : root.children) ids.insert(child.id);
    ids.insert(entry("Mail").id);
    EXPECT_EQ(ids.size(), 12u);
    EXPECT_FALSE(ids.contains(0));
}

TEST_F(StatusItemTest, OpeningTheMenuRefreshesItFirstAndThenThePanelsCopy) {
    struct Refresher : kit::MenuDelegate {
        void menuNeedsUpdate(kit::Menu& menu) override {
            ++updates;
            menu.item(0)->setState(updates % 2 ? ControlState::on : ControlState::off);
        }
        int updates = 0;
    } refresher;
    menu->setDelegate(&refresher);
    add("Launch at Login", "toggleLogin:");
    add("Running Apps").setSubmenu(std::make_unique<kit::Menu>());
    kit::Menu& apps = *menu->item(1)->submenu();
    item->menuDidChange();
    EXPECT_EQ(entry("Launch at Login").toggleState, 0);

    fake.statusBar.openMenu();
    EXPECT_EQ(refresher.updates, 1);
    EXPECT_EQ(entry("Launch at Login").toggleState, 1);
    fake.statusBar.openMenu();
    EXPECT_EQ(entry("Launch at Login").toggle, Entry::Toggle::none);

    // A submenu asks its own delegate, with the id the panel was given.
    struct Filler : kit::MenuDelegate {
        void menuNeedsUpdate(kit::Menu& menu) override { menu.addItem("Notes", "addApp:", ""); }
    } filler;
    apps.setDelegate(&filler);
    panel().callbacks.menuWillOpen(entry("Running Apps").id);
    EXPECT_EQ(refresher.updates, 2);
    ASSERT_NE(panel().find("Notes"), nullptr);
}

TEST_F(StatusItemTest, ClickingAnEntrySendsItsActionOnceTheOwnerSaysTheMenuChanged) {
    add("Settings…", "showSettings:", ",");
    menu->addItem("About", "showAbout:", "");
    add("Later", "later:").setEnabled(false);
    item->menuDidChange();
    int settingsId = entry("Settings…").id;

    EXPECT_TRUE(fake.statusBar.click("Settings…"));
    EXPECT_EQ(target.performed, std::vector<std::string>{"showSettings:"});
    EXPECT_TRUE(fake.statusBar.click("About"));
    EXPECT_EQ(chain.performed, std::vector<std::string>{"showAbout:"});
    EXPECT_FALSE(fake.statusBar.click("Later"));

    menu->item(0)->setTitle("Settings");
    menu->addItem("Quit", "terminate:", "q");
    EXPECT_EQ(panel().find("Settings"), nullptr);
    item->menuDidChange();
    EXPECT_EQ(entry("Settings").id, settingsId);
    EXPECT_NE(panel().find("Quit"), nullptr);

    // An entry whose item is gone does nothing when the click arrives late.
    menu->removeAllItems();
    item->menuDidChange();
    panel().callbacks.entryClicked(settingsId);
    EXPECT_EQ(target.performed.size(), 1u);
}

}  // namespace
