#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "fakes/FakePlatform.h"
#include "kit/Application.h"
#include "kit/Bitmap.h"
#include "kit/Button.h"
#include "kit/GraphicsContext.h"
#include "kit/Label.h"
#include "kit/OpenPanel.h"
#include "kit/PopUpButton.h"
#include "kit/TableView.h"
#include "kit/Window.h"

namespace {

namespace fs = std::filesystem;
using kit::Event;
using kit::OpenPanel;
using kit::PanelError;

constexpr std::uint16_t returnKey = 36, escapeKey = 53, downArrow = 125;

// A folder of its own for each test: an application, a folder, a file and
// a hidden file.
struct Folder {
    Folder()
        : path(fs::temp_directory_path() /
               ("open-panel-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(path / "Jotter.app" / "Contents");
        fs::create_directories(path / "Stuff");
        std::ofstream(path / "Jotter.app" / "Contents" / "Info.plist") << "<plist/>";
        std::ofstream(path / "Stuff" / "inside.txt") << "inside";
        std::ofstream(path / "notes.txt") << "notes";
        std::ofstream(path / ".hidden") << "hidden";
    }
    ~Folder() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }

    fs::path path;
};

// Accepts applications only, and remembers what it was asked.
struct ApplicationsOnly : kit::OpenPanelDelegate {
    std::optional<PanelError> validate(OpenPanel&, const std::string& path) override {
        asked.push_back(path);
        if (path.ends_with(".app")) return std::nullopt;
        return PanelError{"That isn't an application.", "Choose an application in the list."};
    }
    std::vector<std::string> asked;
};

kit::View* find(kit::Window& window, const std::function<bool(const kit::View&)>& test) {
    return window.contentView()->findView(test);
}

kit::Label* labelShowing(kit::Window& window, const std::string& text) {
    return dynamic_cast<kit::Label*>(find(window, [&](const kit::View& view) {
        auto* label = dynamic_cast<const kit::Label*>(&view);
        return label && label->text() == text && !label->isHiddenOrHasHiddenAncestor();
    }));
}

kit::Button* buttonTitled(kit::Window& window, const std::string& title) {
    return dynamic_cast<kit::Button*>(find(window, [&](const kit::View& view) {
        auto* button = dynamic_cast<const kit::Button*>(&view);
        return button && button->title() == title;
    }));
}

template <typename T>
T& the(kit::Window& window) {
    auto* found = find(window, [](const kit::View& view) { return dynamic_cast<const T*>(&view); });
    EXPECT_TRUE(found);
    return dynamic_cast<T&>(*found);
}

// The window stays where the view was: a double click may replace the view.
void click(kit::View& view, int count = 1) {
    kit::Window& window = *view.window();
    kit::Rect frame = view.frameInWindow();
    kit::Point middle{frame.midX(), frame.midY()};
    for (int click = 1; click <= count; ++click) {
        window.sendEvent(Event::mouse(Event::Type::leftMouseDown, middle, 0, click));
        window.sendEvent(Event::mouse(Event::Type::leftMouseUp, middle, 0, click));
    }
}

class OpenPanelTest : public fakes::PlatformTest {
protected:
    OpenPanelTest() {
        panel.setDirectoryURL(folder.path.string());
        panel.setDelegate(&delegate);
    }

    // Runs the panel; each step is done in turn while it is up.
    OpenPanel::Response run(std::vector<std::function<void()>> steps) {
        for (auto& step : steps) fake.runLoop.post(std::move(step));
        return panel.runModal();
    }
    kit::Window& window() { return panel.window(); }
    // The names in the list, top to bottom, as they read.
    std::vector<std::string> shownNames() {
        auto& table = the<kit::TableView>(window());
        std::vector<std::string> names;
        for (int row = 0; row < table.numberOfRows(); ++row) {
            auto* cell = table.viewAt(0, row);
            auto* label = cell->findView(
                [](const kit::View& view) { return dynamic_cast<const kit::Label*>(&view); });
            names.push_back(dynamic_cast<kit::Label&>(*label).text());
        }
        return names;
    }
    int selectedRow() { return the<kit::TableView>(window()).selectedRow(); }
    void clickName(const std::string& name, int count = 1) {
        auto* label = labelShowing(window(), name);
        ASSERT_TRUE(label) << name;
        click(*label, count);
    }
    void press(kit::Window& target, std::uint16_t keyCode) {
        target.sendEvent(Event::key(Event::Type::keyDown, keyCode, ""));
    }

    Folder folder;
    kit::Application app;
    ApplicationsOnly delegate;
    OpenPanel panel;
};

TEST_F(OpenPanelTest, ItStartsInTheGivenFolderAndCancelChoosesNothing) {
    panel.setMessage("Choose an application to keep the menu bar visible for.");
    panel.setPrompt("Choose");
    auto response = run({[&] {
        EXPECT_EQ(panel.currentFolder(), folder.path.string());
        EXPECT_EQ(window().title(), "Open");
        EXPECT_EQ(app.modalWindow(), &window());
        EXPECT_EQ(shownNames(), (std::vector<std::string>{"Jotter.app", "notes.txt", "Stuff"}))
            << "by name whatever the case, hidden files left out";
        EXPECT_TRUE(
            labelShowing(window(), "Choose an application to keep the menu bar visible for."));
        EXPECT_TRUE(buttonTitled(window(), "Choose"));
        EXPECT_EQ(the<kit::PopUpButton>(window()).titleOfSelectedItem(),
                  folder.path.filename().string());
        click(*buttonTitled(window(), "Cancel"));
    }});
    EXPECT_EQ(response, OpenPanel::Response::cancel);
    EXPECT_FALSE(panel.url());
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(delegate.asked.empty());

    EXPECT_EQ(run({[&] { press(window(), escapeKey); }}), OpenPanel::Response::cancel);
}

TEST_F(OpenPanelTest, FilesAreGreyedAndOutOfReachWhenOnlyFoldersCanBeChosen) {
    panel.setCanChooseFiles(false);
    panel.setCanChooseDirectories(true);
    run({[&] {
        EXPECT_FALSE(labelShowing(window(), "notes.txt")->isEnabled());
        EXPECT_TRUE(labelShowing(window(), "Stuff")->isEnabled());
        clickName("notes.txt");
        EXPECT_EQ(selectedRow(), -1);
        EXPECT_FALSE(panel.selectEntry("notes.txt"));

        press(window(), downArrow);
        EXPECT_EQ(selectedRow(), 0);
        press(window(), downArrow);
        EXPECT_EQ(selectedRow(), 2) << "the arrow steps over the greyed file";
        panel.setCanChooseFiles(true);
        EXPECT_TRUE(labelShowing(window(), "notes.txt")->isEnabled());
        clickName("notes.txt");
        EXPECT_EQ(selectedRow(), 1);
        panel.cancel();
    }});
}

TEST_F(OpenPanelTest, ADoubleClickOpensAFolderAndThePopUpGoesBackUp) {
    run({[&] {
        clickName("Stuff", 2);
        EXPECT_EQ(panel.currentFolder(), folder / "Stuff");
        EXPECT_EQ(shownNames(), std::vector<std::string>{"inside.txt"});

        auto& path = the<kit::PopUpButton>(window());
        EXPECT_EQ(path.titleOfSelectedItem(), "Stuff");
        path.setMenuPresenter([](kit::Menu& menu) { return menu.item(1); });
        click(path);
        EXPECT_EQ(panel.currentFolder(), folder.path.string());
        EXPECT_EQ(shownNames().size(), 3u);
        panel.cancel();
    }});
}

TEST_F(OpenPanelTest, APackageOpensOnlyWhenPackagesAreTreatedAsFolders) {
    panel.setCanChooseDirectories(true);
    panel.setTreatsFilePackagesAsDirectories(true);
    run({[&] {
        clickName("Jotter.app", 2);
        EXPECT_EQ(panel.currentFolder(), folder / "Jotter.app");
        EXPECT_EQ(shownNames(), std::vector<std::string>{"Contents"});
        panel.cancel();
    }});

    panel.setTreatsFilePackagesAsDirectories(false);
    auto response = run({[&] { clickName("Jotter.app", 2); }});
    EXPECT_EQ(response, OpenPanel::Response::ok) << "a double click chooses it";
    EXPECT_EQ(panel.url(), folder / "Jotter.app");
}

// A PNG of one colour, kept beside the listed entries.
std::string iconFile(const Folder& folder, const std::string& name, kit::Color color) {
    kit::Bitmap bitmap(32, 32);
    kit::GraphicsContext(bitmap, 2).fillRect({0, 0, 16, 16}, color);
    std::string path = folder / ("Stuff/" + name);
    EXPECT_TRUE(bitmap.writePNG(path));
    return path;
}

TEST_F(OpenPanelTest, BundlesAndDesktopEntriesShowTheirOwnIcons) {
    std::ofstream(folder / "xterm.desktop") << "[Desktop Entry]\n";
    std::ofstream(folder / "bare.desktop") << "[Desktop Entry]\n";
    fake.workspace.iconFiles[folder / "Jotter.app"] =
        iconFile(folder, "red.png", kit::Color::rgb(255, 0, 0));
    fake.workspace.iconFiles[folder / "xterm.desktop"] =
        iconFile(folder, "blue.png", kit::Color::rgb(0, 0, 255));
    run({[&] {
        auto picture = window().render(2);
        auto iconCentre = [&](const std::string& name) {
            kit::Rect row = labelShowing(window(), name)->superview()->frameInWindow();
            return picture.pixel(int((row.minX() + 8) * 2), int(row.midY() * 2)) & 0xffffff;
        };
        EXPECT_EQ(iconCentre("Jotter.app"), 0xff0000u);
        EXPECT_EQ(iconCentre("xterm.desktop"), 0x0000ffu);
        EXPECT_EQ(iconCentre("notes.txt"), 0xffffffu) << "a plain file keeps its page";
        EXPECT_NE(iconCentre("bare.desktop"), 0xffffffu) << "no icon: the generic application's";
        panel.cancel();
    }});

    // A long list looks icons up for the rows in view only, not for each of
    // the hundreds of entries a desktop's applications folder holds.
    for (int entry = 0; entry < 200; ++entry)
        std::ofstream(folder / ("Stuff/app" + std::to_string(entry) + ".desktop"))
            << "[Desktop Entry]\n";
    panel.setDirectoryURL(folder / "Stuff");
    fake.workspace.iconLookups = 0;
    run({[&] {
        window().render(2);
        EXPECT_GT(fake.workspace.iconLookups, 5);
        EXPECT_LT(fake.workspace.iconLookups, 40);
        panel.cancel();
    }});
}

TEST_F(OpenPanelTest, ARefusedChoiceIsExplainedAndThePanelStaysOpen) {
    panel.setCanChooseFiles(false);
    panel.setCanChooseDirectories(true);
    auto response = run({
        [&] {
            clickName("Stuff");
            click(*buttonTitled(window(), "Open"));
        },
        // While the alert is up, over the panel.
        [&] {
            kit::Window* alert = app.modalWindow();
            ASSERT_TRUE(alert);
            ASSERT_NE(alert, &window());
            EXPECT_TRUE(labelShowing(*alert, "That isn't an application."));
            EXPECT_TRUE(labelShowing(*alert, "Choose an application in the list."));
            click(*buttonTitled(*alert, "OK"));
        },
        [&] {
            EXPECT_EQ(app.modalWindow(), &window());
            EXPECT_TRUE(window().isKeyWindow());
            EXPECT_FALSE(panel.url());
            clickName("Jotter.app");
            press(window(), returnKey);
        },
    });
    EXPECT_EQ(response, OpenPanel::Response::ok);
    EXPECT_EQ(panel.url(), folder / "Jotter.app");
    EXPECT_EQ(delegate.asked, (std::vector<std::string>{folder / "Stuff", folder / "Jotter.app"}));
}

TEST_F(OpenPanelTest, ConfirmingWithNothingSelectedChoosesTheFolderOnShow) {
    panel.setCanChooseDirectories(true);
    panel.setTreatsFilePackagesAsDirectories(true);
    panel.setDirectoryURL(folder / "Jotter.app");
    EXPECT_EQ(run({[&] { press(window(), returnKey); }}), OpenPanel::Response::ok);
    EXPECT_EQ(panel.url(), folder / "Jotter.app");

    // Files only: the confirm button waits for a file, and opens folders.
    panel.setDelegate(nullptr);
    panel.setCanChooseDirectories(false);
    panel.setDirectoryURL(folder.path.string());
    auto response = run({[&] {
        EXPECT_FALSE(buttonTitled(window(), "Open")->isEnabled());
        press(window(), returnKey);
        EXPECT_EQ(panel.currentFolder(), folder.path.string());
        panel.selectEntry("Stuff");
        press(window(), returnKey);
        EXPECT_EQ(panel.currentFolder(), folder / "Stuff");
        panel.selectEntry("inside.txt");
        panel.confirm();
    }});
    EXPECT_EQ(response, OpenPanel::Response::ok);
    EXPECT_EQ(panel.url(), folder / "Stuff/inside.txt");
}

}  // namespace
