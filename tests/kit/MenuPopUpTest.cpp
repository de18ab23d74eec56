#include <gtest/gtest.h>

#include <functional>

#include "fakes/FakePlatform.h"
#include "kit/Application.h"
#include "kit/Menu.h"
#include "kit/MenuView.h"
#include "kit/MenuWindow.h"

namespace {

using kit::Event;
using kit::MenuItem;
using kit::MenuWindow;
using kit::Point;

constexpr std::uint16_t escapeKey = 53, returnKey = 36, rightArrow = 124, leftArrow = 123,
                        downArrow = 125, upArrow = 126;

struct Target : kit::Responder {
    bool tryToPerform(const kit::Action& action, kit::Responder*) override {
        performed.push_back(action);
        menuWasOpen.push_back(MenuWindow::current() != nullptr);
        return true;
    }
    std::vector<std::string> performed;
    std::vector<bool> menuWasOpen;
};

struct Refresher : kit::MenuDelegate {
    void menuNeedsUpdate(kit::Menu& menu) override {
        ++updates;
        if (fill) fill(menu);
    }
    int updates = 0;
    std::function<void(kit::Menu&)> fill;
};

void press(MenuWindow& menu, std::uint16_t keyCode, std::string characters = "",
           std::uint64_t modifiers = 0) {
    menu.sendEvent(Event::key(Event::Type::keyDown, keyCode, std::move(characters), modifiers));
}

std::string highlighted(MenuWindow& menu) {
    auto* item = menu.menuView().highlightedItem();
    return item ? item->title() : "";
}

class MenuPopUpTest : public fakes::PlatformTest {
protected:
    MenuPopUpTest() : owner({300, 200}, kit::WindowStyle::titled) {
        owner.setFrameOrigin({200, 150});
        anchor = &owner.contentView()->addSubview(
            std::make_unique<kit::View>(kit::Rect{10, 20, 100, 30}));
    }

    MenuItem& add(const std::string& title, const std::string& action = "",
                  const std::string& key = "") {
        auto& item = menu.addItem(title, action, key);
        item.setTarget(&target);
        return item;
    }

    // Opens the menu at `location` in the anchor view; `act` plays the
    // person in front of it, on the menu's own turn of the loop.
    MenuItem* popUp(std::function<void(MenuWindow&)> act, const MenuItem* positioning = nullptr,
                    Point location = {30, 5}) {
        fake.runLoop.post([act] {
            ASSERT_NE(MenuWindow::current(), nullptr);
            act(*MenuWindow::current());
        });
        return menu.popUp(positioning, location, *anchor);
    }

    kit::Application app;
    kit::Window owner;
    kit::View* anchor;
    kit::Menu menu;
    Target target;
};

TEST_F(MenuPopUpTest, TheDelegateFillsTheMenuBeforeItShows) {
    Refresher refresher;
    refresher.fill = [&](kit::Menu& menu) {
        menu.removeAllItems();
        add("Fresh", "fresh:");
    };
    menu.setDelegate(&refresher);
    add("Stale", "stale:");

    MenuItem* chosen = popUp([](MenuWindow& open) {
        EXPECT_EQ(open.menuView().row("Stale"), nullptr);
        EXPECT_TRUE(open.chooseItem("Fresh"));
    });
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->title(), "Fresh");
    EXPECT_EQ(refresher.updates, 1);
}

TEST_F(MenuPopUpTest, AChosenItemsActionGoesOutOnceTheMenuHasClosed) {
    add("Open", "open:");
    auto& chained = menu.addItem("Reveal", "reveal:", "");
    Target focused;
    owner.makeKeyAndOrderFront();
    owner.makeFirstResponder(&focused);

    EXPECT_EQ(popUp([](MenuWindow& open) { open.chooseItem("Open"); })->title(), "Open");
    EXPECT_EQ(target.performed, std::vector<std::string>{"open:"});
    EXPECT_EQ(target.menuWasOpen, std::vector<bool>{false});

    // No target: the chain starts again at the window that was key before.
    EXPECT_EQ(popUp([](MenuWindow& open) { open.chooseItem("Reveal"); }), &chained);
    EXPECT_EQ(focused.performed, std::vector<std::string>{"reveal:"});
    EXPECT_EQ(app.keyWindow(), &owner);
    EXPECT_EQ(MenuWindow::current(), nullptr);
}

TEST_F(MenuPopUpTest, OnlyEnabledItemsCanBeChosenAndEscapeOrAClickOutsideDismiss) {
    add("Disabled", "disabled:").setEnabled(false);
    menu.addItem(MenuItem::sectionHeader("Header"));
    menu.addItem(MenuItem::separator());
    add("Open", "open:");

    EXPECT_EQ(popUp([](MenuWindow& open) {
                  open.chooseItem("Disabled");
                  open.chooseItem("Header");
                  auto separator = open.menuView().rows()[2].frame;
                  open.sendEvent(Event::mouse(Event::Type::leftMouseDown,
                                              {separator.midX(), separator.midY()}));
                  open.sendEvent(
                      Event::mouse(Event::Type::leftMouseUp, {separator.midX(), separator.midY()}));
                  EXPECT_EQ(MenuWindow::current(), &open);
                  press(open, escapeKey, "\x1b");
              }),
              nullptr);
    EXPECT_EQ(popUp([](MenuWindow& open) {
                  open.sendEvent(Event::mouse(Event::Type::leftMouseDown, {-20, 40}));
                  // The release over an item that follows counts for nothing.
                  open.chooseItem("Open");
              }),
              nullptr);
    EXPECT_TRUE(target.performed.empty());
}

TEST_F(MenuPopUpTest, ArrowKeysStepOverWhatCannotBeChosenAndReturnChooses) {
    menu.addItem(MenuItem::sectionHeader("Header"));
    add("One", "one:");
    add("Two", "two:").setEnabled(false);
    menu.addItem(MenuItem::separator());
    add("Three", "three:");

    MenuItem* chosen = popUp([](MenuWindow& open) {
        std::vector<std::string> seen;
        for (auto key : {downArrow, downArrow, downArrow, upArrow, upArrow}) {
            press(open, key);
            seen.push_back(highlighted(open));
        }
        EXPECT_EQ(seen, (std::vector<std::string>{"One", "Three", "Three", "One", "One"}));
        press(open, returnKey, "\r");
    });
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->title(), "One");
    EXPECT_EQ(target.performed, std::vector<std::string>{"one:"});

    // The menu's own key equivalents work while it is open.
    add("Quit", "quit:", "q");
    EXPECT_EQ(popUp([](MenuWindow& open) {
                  press(open, 12, "q", platform::ModifierFlags::command);
              })->title(),
              "Quit");
}

TEST_F(MenuPopUpTest, ThePositioningItemOpensUnderThePoint) {
    add("Small");
    auto& medium = add("Medium");
    add("Large");
    // The anchor's (30, 5) on the screen: window origin, title bar, anchor frame.
    const Point point{200 + 10 + 30, 150 + 28 + 20 + 5};

    popUp(
        [&](MenuWindow& open) {
            auto row = open.menuView().row(medium)->frame;
            kit::Rect onScreen = row.offsetBy(open.frame().minX(), open.frame().minY());
            EXPECT_TRUE(onScreen.contains(point));
            EXPECT_EQ(open.frame().minX(), point.x);
            EXPECT_EQ(highlighted(open), "Medium");
            open.dismiss();
        },
        &medium);

    popUp([&](MenuWindow& open) {
        EXPECT_EQ(open.styleMask(), 0u);
        EXPECT_EQ(open.frame().origin, point);
        EXPECT_EQ(highlighted(open), "");
        open.dismiss();
    });

    // Near the screen's bottom-right corner the menu moves to stay on it.
    popUp(
        [&](MenuWindow& open) {
            auto screen = *fake.windowServer.screen;
            EXPECT_LE(open.frame().maxX(), screen.x + screen.width);
            EXPECT_LE(open.frame().maxY(), screen.y + screen.height);
            open.dismiss();
        },
        nullptr, {1400, 880});
}

TEST_F(MenuPopUpTest, ASubmenuOpensBesideItsItemByPointerOrKeyboard) {
    add("Choose…", "choose:");
    auto& running = add("Running Apps");
    running.setSubmenu(std::make_unique<kit::Menu>());
    Refresher apps;
    apps.fill = [&](kit::Menu& submenu) {
        submenu.removeAllItems();
        submenu.addItem("Mail", "addApp:", "").setTarget(&target);
        submenu.addItem("Notes", "addApp:", "").setTarget(&target);
    };
    running.submenu()->setDelegate(&apps);

    MenuItem* chosen = popUp([&](MenuWindow& open) {
        open.chooseItem("Running Apps");
        MenuWindow* submenu = open.submenuWindow();
        ASSERT_NE(submenu, nullptr);
        EXPECT_EQ(MenuWindow::current(), &open);
        EXPECT_NEAR(submenu->frame().minX(), open.frame().maxX(), 4);
        // Its first item level with the item it opens from.
        double itemTop = open.frame().minY() + open.menuView().row(running)->frame.minY();
        EXPECT_EQ(submenu->frame().minY() + submenu->menuView().rows()[0].frame.minY(), itemTop);
        submenu->chooseItem("Notes");
    });
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->title(), "Notes");
    EXPECT_EQ(target.performed, std::vector<std::string>{"addApp:"});

    EXPECT_EQ(popUp([&](MenuWindow& open) {
                  press(open, downArrow);
                  press(open, downArrow);
                  press(open, rightArrow);
                  ASSERT_NE(open.submenuWindow(), nullptr);
                  EXPECT_EQ(highlighted(*open.submenuWindow()), "Mail");
                  press(*open.submenuWindow(), leftArrow);
                  EXPECT_EQ(open.submenuWindow(), nullptr);
                  press(open, upArrow);
                  press(open, returnKey, "\r");
              })->title(),
              "Choose…");
    EXPECT_EQ(apps.updates, 2);

    // Nothing running: the submenu still opens, with an item that says so.
    apps.fill = [](kit::Menu& submenu) { submenu.removeAllItems(); };
    EXPECT_EQ(popUp([&](MenuWindow& open) {
                  open.chooseItem("Running Apps");
                  ASSERT_NE(open.submenuWindow(), nullptr);
                  const auto& rows = open.submenuWindow()->menuView().rows();
                  ASSERT_EQ(rows.size(), 1u);
                  EXPECT_EQ(rows[0].item->title(), "None");
                  EXPECT_FALSE(kit::MenuView::canHighlight(*rows[0].item));
                  EXPECT_EQ(rows[0].frame.height(), kit::MenuView::itemHeight);
                  open.dismiss();
              }),
              nullptr);
}

// How dark a pixel of the rendered menu is, 0 (white) to 255 (black).
int darkness(const kit::Bitmap& bitmap, double x, double y, double scale) {
    auto pixel = bitmap.pixel(int(x * scale), int(y * scale));
    int red = pixel >> 16 & 0xff, green = pixel >> 8 & 0xff, blue = pixel & 0xff;
    return 255 - (red + green + blue) / 3;
}

// The darkest pixel of a stretch of a row, between x0 and x1 points.
int ink(const kit::Bitmap& bitmap, const kit::Rect& row, double x0, double x1, double scale = 2) {
    int darkest = 0;
    for (double y = row.minY() + 2; y < row.maxY() - 2; y += 0.5) {
        for (double x = x0; x < x1; x += 0.5)
            darkest = std::max(darkest, darkness(bitmap, x, y, scale));
    }
    return darkest;
}

TEST_F(MenuPopUpTest, TheMenuShowsCheckMarksKeyEquivalentsAndTheHighlight) {
    auto& hidden = add("Show Hidden", "", "h");
    hidden.setState(kit::ControlState::on);
    hidden.setKeyEquivalentModifierMask(platform::ModifierFlags::command |
                                        platform::ModifierFlags::option);
    add("Plain");
    add("New", "", "N");
    add("Settings…", "", ",");
    namespace Mod = platform::ModifierFlags;
    add("Move", "", "m").setKeyEquivalentModifierMask(Mod::control | Mod::option | Mod::command);

    popUp([](MenuWindow& open) {
        std::vector<std::string> keys;
        for (const auto& row : open.menuView().rows()) keys.push_back(row.keyEquivalentText);
        EXPECT_EQ(keys, (std::vector<std::string>{"⌥⌘H", "", "⇧⌘N", "⌘,", "⌃⌥⌘M"}));

        press(open, upArrow);
        auto picture = open.render(2);
        picture.writePNG("/tmp/menu-popup.png");
        const auto& rows = open.menuView().rows();
        double width = open.frame().width();
        double check = kit::MenuView::highlightInset + kit::MenuView::checkColumnWidth;
        EXPECT_GT(ink(picture, rows[0].frame, kit::MenuView::highlightInset, check), 120);
        EXPECT_LT(ink(picture, rows[1].frame, kit::MenuView::highlightInset, check), 20);
        // Key equivalents stand at the right, clear of the titles.
        EXPECT_GT(ink(picture, rows[0].frame, width - 40, width - 8), 60);
        EXPECT_LT(ink(picture, rows[1].frame, width - 40, width - 8), 20);
        // The highlighted row is filled with the accent colour.
        auto accent = picture.pixel(int(12 * 2), int(rows[4].frame.minY() * 2 + 3));
        auto expected = kit::Color::controlAccentColor();
        EXPECT_NEAR(int(accent & 0xff), int(expected.blue * 255), 3);
        EXPECT_NEAR(int(accent >> 16 & 0xff), int(expected.red * 255), 3);
        open.dismiss();
    });
}

class MenuWithoutApplicationTest : public fakes::PlatformTest {};

TEST_F(MenuWithoutApplicationTest, StillTracksAndReachesTheItemsTarget) {
    kit::Menu menu;
    Target target;
    menu.addItem("Open", "open:", "").setTarget(&target);
    menu.addItem("Nowhere", "nowhere:", "");
    kit::View loose({0, 0, 50, 20});

    fake.runLoop.post([] { MenuWindow::current()->chooseItem("Open"); });
    EXPECT_EQ(menu.popUp(nullptr, {100, 100}, loose)->title(), "Open");
    EXPECT_EQ(target.performed, std::vector<std::string>{"open:"});

    fake.runLoop.post([] { MenuWindow::current()->chooseItem("Nowhere"); });
    EXPECT_EQ(menu.popUp(nullptr, {100, 100}, loose)->title(), "Nowhere");

    // A loop with nothing left to run cannot choose: the menu is dismissed.
    EXPECT_EQ(menu.popUp(nullptr, {100, 100}, loose), nullptr);
}

}  // namespace
