#pragma once

// The program's item in the desktop's status area: a button showing an
// image or title, and a menu the desktop opens on a click.
//
// The item owns its menu. The desktop shows a copy of it, so whoever changes
// the menu's items afterwards calls menuDidChange() to send the copy again;
// the item does so itself when the menu is replaced and each time the
// desktop is about to open it (after the menu's delegate has updated it, so
// check marks are fresh). A chosen entry's action goes to the item's target,
// or along the responder chain, through the application.
//
// Removed from the status area when destroyed.

#include <memory>

#include "kit/Menu.h"
#include "kit/StatusBarButton.h"
#include "kit/StatusMenuTree.h"
#include "platform/StatusBar.h"

namespace kit {

class StatusItem {
public:
    // The desktop's lengths: as wide as the content, or square.
    static constexpr double variableLength = -1;
    static constexpr double squareLength = -2;

    static std::unique_ptr<StatusItem> create(double length = squareLength);
    ~StatusItem();
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;

    // Kept for whoever asks; panels size their items themselves.
    double length() const { return length_; }
    void setLength(double length) { length_ = length; }

    StatusBarButton& button() { return button_; }
    const StatusBarButton& button() const { return button_; }

    Menu* menu() const { return menu_.get(); }
    void setMenu(std::unique_ptr<Menu> menu);
    // Sends the menu to the desktop again; call after changing its items.
    void menuDidChange();

private:
    StatusItem(platform::StatusBar& statusBar, double length);
    void menuWillOpen(int menuId);
    void entryClicked(int entryId);
    void menuRequested(int x, int y);

    // The desktop's calls may arrive after we are gone; they then do nothing.
    std::shared_ptr<StatusItem*> alive_ = std::make_shared<StatusItem*>(this);
    platform::StatusBar& statusBar_;
    platform::StatusItemId id_;
    double length_;
    StatusBarButton button_;
    std::unique_ptr<Menu> menu_;
    StatusMenuTree tree_;
    bool showingMenu_ = false;
};

}  // namespace kit
