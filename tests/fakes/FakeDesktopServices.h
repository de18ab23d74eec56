#pragma once

// Stand-ins for the desktop's windows and status area: no display, so the
// toolkit's windows live offscreen; the status area keeps what it was told.

#include <map>
#include <string>
#include <vector>

#include "platform/StatusBar.h"
#include "platform/WindowServer.h"

namespace fakes {

class FakeWindowServer : public platform::WindowServer {
public:
    bool isAvailable() const override { return false; }
    std::optional<platform::ScreenFrame> mainScreenFrame() override { return screen; }
    platform::NativeWindowId createWindow(platform::NativeWindowKind, const std::string&,
                                          const platform::ScreenFrame&, EventHandler) override {
        return 0;
    }
    void destroyWindow(platform::NativeWindowId) override {}
    void setTitle(platform::NativeWindowId, const std::string&) override {}
    void setFrame(platform::NativeWindowId, const platform::ScreenFrame&) override {}
    void show(platform::NativeWindowId, bool) override {}
    void hide(platform::NativeWindowId) override {}
    void present(platform::NativeWindowId, const platform::PixelImage&, double) override {}
    void beginMove(platform::NativeWindowId, double, double) override {}
    void setApplicationIcon(const std::vector<platform::PixelImage>& sizes) override {
        applicationIcon = sizes;
    }

    std::vector<platform::PixelImage> applicationIcon;

    // A laptop screen below a 25-point menu bar.
    std::optional<platform::ScreenFrame> screen = platform::ScreenFrame{0, 25, 1440, 875};
};

class FakeStatusBar : public platform::StatusBar {
public:
    struct Item {
        Callbacks callbacks;
        std::vector<platform::PixelImage> icon;
        std::string title;
        std::string toolTip;
        platform::StatusMenuEntry menu;
        int menuUpdates = 0;

        // The first entry of the menu, at any depth, with this label; null
        // when there is none.
        const platform::StatusMenuEntry* find(const std::string& label) const;
        // The same, for entries a test knows are there.
        const platform::StatusMenuEntry& entry(const std::string& label) const;
    };

    platform::StatusItemId addItem(Callbacks callbacks) override;
    void removeItem(platform::StatusItemId item) override { items.erase(item); }
    void setIcon(platform::StatusItemId item, std::vector<platform::PixelImage> images) override {
        items.at(item).icon = std::move(images);
    }
    void setTitle(platform::StatusItemId item, const std::string& title) override {
        items.at(item).title = title;
    }
    void setToolTip(platform::StatusItemId item, const std::string& toolTip) override {
        items.at(item).toolTip = toolTip;
    }
    void setMenu(platform::StatusItemId item, const platform::StatusMenuEntry& root) override;
    bool isDark() const override { return dark; }

    // The only item; most tests have one.
    Item& only();
    // What a person does in the panel: open the menu, click an entry by label.
    void openMenu();
    bool click(const std::string& label);

    std::map<platform::StatusItemId, Item> items;
    bool dark = false;  // the status area's shade

private:
    platform::StatusItemId nextId_ = 1;
};

}  // namespace fakes
