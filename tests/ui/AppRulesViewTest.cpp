#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "fakes/FakePlatform.h"
#include "kit/Application.h"
#include "kit/Button.h"
#include "kit/Label.h"
#include "kit/MenuWindow.h"
#include "kit/PopUpButton.h"
#include "kit/ScrollView.h"
#include "kit/SegmentedControl.h"
#include "kit/Window.h"
#include "prefs/Preferences.h"
#include "rules/AppRuleEngine.h"
#include "ui/AppRulesView.h"

namespace {

namespace fs = std::filesystem;
using fakes::FakePlatform;
using kit::Event;
using kit::MenuWindow;
using platform::ActivationPolicy;
using platform::RunningApplication;

RunningApplication running(int pid, std::string bundleID, std::optional<std::string> name,
                           ActivationPolicy policy = ActivationPolicy::regular,
                           std::optional<std::string> bundlePath = std::nullopt) {
    RunningApplication application;
    application.processIdentifier = pid;
    application.bundleIdentifier = bundleID;
    application.localizedName = std::move(name);
    application.activationPolicy = policy;
    application.bundlePath = bundlePath ? bundlePath : "/Applications/" + bundleID + ".app";
    return application;
}

// The titles of a menu's items as they read; separators as "-".
std::vector<std::string> titles(const kit::Menu& menu) {
    std::vector<std::string> result;
    for (const auto& item : menu.items())
        result.push_back(item->isSeparator() ? "-" : item->title());
    return result;
}

void click(kit::View& view, kit::Point inView) {
    kit::Window& window = *view.window();
    kit::Point point = view.convertToWindow(inView);
    window.sendEvent(Event::mouse(Event::Type::leftMouseDown, point));
    window.sendEvent(Event::mouse(Event::Type::leftMouseUp, point));
}

void click(kit::View& view) {
    click(view, {view.bounds().midX(), view.bounds().midY()});
}

class AppRulesViewTest : public fakes::PlatformTest {
protected:
    AppRulesViewTest() : window({400, 200}, kit::WindowStyle::titled) {
        fake.workspace.running.clear();
        window.makeKeyAndOrderFront();
    }

    AppRulesView& show(const std::vector<AppRule>& rules = {}) {
        Preferences::setAppRules(rules);
        engine.emplace();
        auto& added = window.contentView()->addSubview(std::make_unique<AppRulesView>(*engine));
        added.setFrame({{20, 20}, added.fittingSize()});
        engine->onChange = [&added] { added.reload(); };
        window.layoutIfNeeded();
        return added;
    }
    kit::TableView& table() { return view().tableView(); }
    AppRulesView& view() {
        return dynamic_cast<AppRulesView&>(*window.contentView()->subviews()[0]);
    }
    std::string nameIn(int row) {
        auto* label = table().viewAt(0, row)->findView(
            [](const kit::View& each) { return dynamic_cast<const kit::Label*>(&each); });
        return dynamic_cast<kit::Label&>(*label).text();
    }
    kit::PopUpButton& modeIn(int row) {
        return dynamic_cast<kit::PopUpButton&>(*table().viewAt(1, row));
    }
    void clickRow(int row) {
        window.layoutIfNeeded();
        click(*table().viewAt(0, row));
    }
    void clickSegment(int segment) {
        auto& control = view().addRemove();
        auto rect = control.segmentRect(segment);
        click(control, {rect.midX(), rect.midY()});
    }
    // Opens the add menu; `act` plays the person while it is open.
    void withAddMenu(std::function<void(MenuWindow&)> act) {
        fake.runLoop.post([act] {
            ASSERT_NE(MenuWindow::current(), nullptr);
            act(*MenuWindow::current());
        });
        clickSegment(AppRulesView::addSegment);
        ASSERT_EQ(MenuWindow::current(), nullptr);
    }
    kit::Menu runningAppsMenu() {
        kit::Menu copy;
        withAddMenu([&](MenuWindow& open) {
            auto* item = open.menu().items()[open.menu().items().size() - 2].get();
            EXPECT_EQ(item->title(), "Running Apps");
            for (const auto& each : item->submenu()->items()) {
                copy.addItem(each->isSeparator()
                                 ? kit::MenuItem::separator()
                                 : std::make_unique<kit::MenuItem>(each->title(), "", ""));
            }
            open.dismiss();
        });
        return copy;
    }

    // Runs `step` with the open panel once the run loop gets there.
    void panelStep(std::function<void(kit::OpenPanel&)> step) {
        fake.runLoop.post([this, step] {
            ASSERT_TRUE(view().openPanel());
            step(*view().openPanel());
        });
    }
    // Expects the refusal alert with this recovery suggestion, then dismisses it.
    void expectRefusal(std::string suggestion) {
        fake.runLoop.post([this, suggestion] {
            kit::Window* alert = app.modalWindow();
            ASSERT_TRUE(alert);
            auto shows = [&](const std::string& text) {
                return alert->contentView()->findView([&](const kit::View& each) {
                    auto* label = dynamic_cast<const kit::Label*>(&each);
                    auto* button = dynamic_cast<const kit::Button*>(&each);
                    return (label && label->text() == text) || (button && button->title() == text);
                });
            };
            EXPECT_TRUE(shows("That isn't an application."));
            EXPECT_TRUE(shows(suggestion));
            click(*shows("OK"));
        });
    }
    void chooseApplication() {
        fake.runLoop.post([] { MenuWindow::current()->chooseItem("Choose Application\u2026"); });
    }

    kit::Application app;
    std::optional<AppRuleEngine> engine;
    kit::Window window;
};

TEST_F(AppRulesViewTest, AnEmptyListShowsThePlaceholderAndNoMinus) {
    auto& rules = show();
    EXPECT_FALSE(rules.placeholder().isHidden());
    EXPECT_EQ(rules.placeholder().text(), "No rules yet. Click + to add an app.");
    EXPECT_FALSE(rules.addRemove().isEnabled(AppRulesView::removeSegment));
    EXPECT_TRUE(rules.addRemove().isEnabled(AppRulesView::addSegment));
    EXPECT_EQ(rules.addRemove().frame().minY(), rules.scrollView().frame().maxY() + 4);
    EXPECT_EQ(rules.scrollView().frame().size, (kit::Size{360, 120}));

    engine->set({"com.example.notes", "Notes", false});
    EXPECT_TRUE(rules.placeholder().isHidden());
    EXPECT_EQ(nameIn(0), "Notes");
    EXPECT_EQ(modeIn(0).titleOfSelectedItem(), "Always show");
    EXPECT_EQ(modeIn(0).itemAt(0)->title(), "Auto-hide");
    EXPECT_FALSE(rules.addRemove().isEnabled(AppRulesView::removeSegment));
    clickRow(0);
    EXPECT_TRUE(rules.addRemove().isEnabled(AppRulesView::removeSegment));
}

TEST_F(AppRulesViewTest, ReloadLeavesAnUnchangedListAloneAndFollowsTheSelectedApp) {
    show(
        {{"com.example.a", "A", true}, {"com.example.b", "B", true}, {"com.example.c", "C", true}});
    clickRow(1);
    kit::View* cell = table().viewAt(0, 1);
    view().reload();
    EXPECT_EQ(table().viewAt(0, 1), cell) << "rows are not rebuilt";
    EXPECT_EQ(table().selectedRow(), 1);

    engine->remove("com.example.a");
    EXPECT_EQ(nameIn(0), "B");
    EXPECT_EQ(table().selectedRow(), 0) << "B moved up, and its row stays selected";

    clickSegment(AppRulesView::removeSegment);
    EXPECT_EQ(view().rules(), (std::vector<AppRule>{{"com.example.c", "C", true}}));
}

TEST_F(AppRulesViewTest, TheModePopUpSetsTheRuleOfItsRow) {
    show({{"com.example.a", "A", true}, {"com.example.b", "B", true}});
    fake.runLoop.post([] { MenuWindow::current()->chooseItem("Always show"); });
    click(modeIn(1));
    EXPECT_EQ(engine->rules()[1], (AppRule{"com.example.b", "B", false}));
    EXPECT_EQ(modeIn(1).titleOfSelectedItem(), "Always show");
    EXPECT_EQ(engine->rules()[0], (AppRule{"com.example.a", "A", true}));
}

TEST_F(AppRulesViewTest, RunningAppsAreOfferedOnceRegularBeforeAccessoryInNameOrder) {
    show();
    auto self = fake.workspace.current;
    self.bundlePath = "/Applications/Tarnwick.app";
    fake.workspace.running = {
        running(1, "com.example.gamma", "gamma"),
        running(2, "com.example.beta", "Beta"),
        running(3, "com.example.beta", "Beta"),
        running(4, "com.example.tools", "Tools", ActivationPolicy::accessory),
        running(5, "com.apple.dock", "Dock"),
        running(6, "com.example.daemon", "Daemon", ActivationPolicy::prohibited),
        running(7, "com.example.loose", "Loose", ActivationPolicy::regular, "/opt/loose"),
        running(8, "com.example.alpha", std::nullopt),
        running(9, "com.example.Aardvark", "aardvark", ActivationPolicy::accessory),
        running(10, "debian-xterm", "XTerm", ActivationPolicy::regular,
                "/usr/share/applications/debian-xterm.desktop"),
        running(11, "notes", "Notes", ActivationPolicy::regular, "/opt/notes.txt"),
        self,
    };
    fake.workspace.extensions = {"app", "desktop"};
    withAddMenu([](MenuWindow& open) {
        EXPECT_EQ(titles(open.menu()),
                  (std::vector<std::string>{"Running Apps", "Choose Application\u2026"}));
        open.dismiss();
    });
    EXPECT_EQ(titles(runningAppsMenu()),
              (std::vector<std::string>{"com.example.alpha", "Beta", "gamma", "XTerm", "-",
                                        "aardvark", "Tools"}));

    fake.workspace.running = {
        running(4, "com.example.tools", "Tools", ActivationPolicy::accessory)};
    EXPECT_EQ(titles(runningAppsMenu()), (std::vector<std::string>{"Tools"})) << "no separator";
}

TEST_F(AppRulesViewTest, ARunningAppChosenFromTheMenuGetsAnAutoHideRule) {
    show({{"com.example.a", "A", false}});
    fake.workspace.running = {running(2, "com.example.beta", "Beta")};
    withAddMenu([](MenuWindow& open) {
        ASSERT_TRUE(open.chooseItem("Running Apps"));
        ASSERT_TRUE(open.submenuWindow());
        EXPECT_EQ(open.submenuWindow()->menu().items()[0]->image()->size(), (kit::Size{16, 16}));
        open.submenuWindow()->chooseItem("Beta");
    });
    EXPECT_EQ(view().rules().back(), (AppRule{"com.example.beta", "Beta", true}));
    EXPECT_EQ(table().selectedRow(), 1);
}

TEST_F(AppRulesViewTest, ARecentAppWithARuleKeepsItsValueTakesTheNewNameAndIsRevealed) {
    std::vector<AppRule> rules;
    for (char name = 'A'; name <= 'H'; ++name) {
        rules.push_back({std::string("com.example.") + name, std::string(1, name), true});
    }
    rules.back().autoHide = false;
    Preferences::setRecentApps({{"com.example.H", "Hydra"}, {"com.example.new", "Newt"}});
    show(rules);
    withAddMenu([](MenuWindow& open) {
        EXPECT_EQ(titles(open.menu()),
                  (std::vector<std::string>{"Recently Used", "Hydra", "Newt", "-", "Running Apps",
                                            "Choose Application\u2026"}));
        EXPECT_TRUE(open.menu().items()[0]->isSectionHeader());
        open.chooseItem("Hydra");
    });
    EXPECT_EQ(engine->rules()[7], (AppRule{"com.example.H", "Hydra", false}));
    EXPECT_EQ(table().selectedRow(), 7);
    EXPECT_GT(view().scrollView().verticalScrollOffset(), 0);

    withAddMenu([](MenuWindow& open) { open.chooseItem("Newt"); });
    EXPECT_EQ(engine->rules()[8], (AppRule{"com.example.new", "Newt", true}));
    EXPECT_EQ(table().selectedRow(), 8);
}

// A folder with an application and a plain folder in it.
struct Folder {
    Folder()
        : path(fs::temp_directory_path() /
               ("app-rules-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(path / "Jotter.app" / "Contents");
        fs::create_directories(path / "Stuff");
    }
    ~Folder() { fs::remove_all(path); }
    fs::path path;
};

TEST_F(AppRulesViewTest, ThePanelRefusesAPlainFolderAndAddsAnAppWithoutItsExtension) {
    Folder folder;
    std::string jotter = (folder.path / "Jotter.app").string();
    fake.workspace.bundles[jotter] = "com.example.jotter";
    fake.workspace.bundles[(folder.path / "Stuff").string()] = "com.example.stuff";
    auto& rules = show();
    chooseApplication();
    panelStep([&](kit::OpenPanel& panel) {
        EXPECT_EQ(panel.prompt(), "Add Rule");
        EXPECT_EQ(panel.message(), "Choose an app to add a menu bar rule for");
        EXPECT_EQ(panel.directoryURL(), "/Applications");
        EXPECT_FALSE(panel.canChooseFiles());
        EXPECT_TRUE(fake.activation.activatedIgnoringOthers);
        panel.showFolder(folder.path.string());
        panel.selectEntry("Stuff");
        panel.confirm();
    });
    expectRefusal(
        "Choose an item ending in .app (you can open a bundle to find apps nested inside it).");
    panelStep([&](kit::OpenPanel& panel) {
        EXPECT_EQ(app.modalWindow(), &panel.window()) << "the panel stays open";
        panel.selectEntry("Jotter.app");
        panel.confirm();
    });
    clickSegment(AppRulesView::addSegment);
    EXPECT_EQ(rules.rules(), (std::vector<AppRule>{{"com.example.jotter", "Jotter", true}}));
    EXPECT_FALSE(rules.openPanel());
}

// Where applications are also desktop entries, the panel starts among them,
// refuses other files, and adds an entry by its id and name.
TEST_F(AppRulesViewTest, ThePanelAddsADesktopEntryByItsIdAndName) {
    Folder folder;
    auto entry = folder.path / "debian-xterm.desktop";
    auto notes = folder.path / "notes.txt";
    for (const auto& file : {entry, notes}) std::ofstream(file) << "[Desktop Entry]\n";
    fake.workspace.extensions = {"app", "desktop"};
    fake.workspace.folders = {folder.path.string(), "/Applications"};
    fake.workspace.bundles[entry.string()] = "debian-xterm";
    fake.workspace.bundles[notes.string()] = "notes";
    fake.workspace.displayNames[entry.string()] = "XTerm";
    auto& rules = show();
    chooseApplication();
    panelStep([&](kit::OpenPanel& panel) {
        EXPECT_EQ(panel.currentFolder(), folder.path.string());
        ASSERT_TRUE(panel.selectEntry("notes.txt"));
        panel.confirm();
    });
    expectRefusal(
        "Choose an item ending in .app or .desktop (you can open a bundle to find apps nested "
        "inside it).");
    panelStep([&](kit::OpenPanel& panel) {
        ASSERT_TRUE(panel.selectEntry("debian-xterm.desktop"));
        panel.confirm();
    });
    clickSegment(AppRulesView::addSegment);
    EXPECT_EQ(rules.rules(), (std::vector<AppRule>{{"debian-xterm", "XTerm", true}}));
}

}  // namespace
