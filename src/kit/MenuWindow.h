#pragma once

// An open pop-up menu: a borderless window of the desktop's pop-up menu
// kind holding a MenuView, placed on the screen, tracked in a nested run of
// the loop until an item is chosen or the menu is dismissed. A submenu opens
// beside its item in a window of its own (one level deep).
//
// Tests and other code reach the open menu through current(): its window
// takes clicks and keys with sendEvent like any window, and chooseItem() and
// dismiss() do what a person's click would.
//
// The menu takes the keyboard while open (it becomes the key window) and
// gives it back when it closes. Pointer motion without a button and the
// desktop's "clicked outside" arrive through hover() and dismiss(). Menus
// take events while a modal window runs, since they open above it.

#include <memory>
#include <string>

#include "kit/Window.h"

namespace kit {

class Menu;
class MenuItem;
class MenuView;

class MenuWindow : public Window {
public:
    // For a submenu, `parent` is the menu it opens from.
    explicit MenuWindow(Menu& menu, MenuWindow* parent = nullptr);
    ~MenuWindow() override;

    // The outermost menu being tracked; null when no menu is open.
    static MenuWindow* current();

    Menu& menu() const;
    MenuView& menuView() const { return *view_; }
    // The submenu open beside the highlighted item, if any.
    MenuWindow* submenuWindow() const { return submenu_.get(); }

    // Puts the menu's top-left corner at `location` on the screen, or with a
    // positioning item that item's row, and keeps the menu on the screen.
    void placeAt(Point location, const MenuItem* positioningItem);
    // Shows the menu and runs the loop until the user chooses or dismisses.
    // Answers the chosen item, null when dismissed.
    MenuItem* track();

    // Clicks the item with this title, as a person would; false when the
    // menu has no such item. An item with a submenu opens it.
    bool chooseItem(const std::string& title);
    // Closes the whole menu without a choice: a click outside it.
    void dismiss();
    // The pointer moved over this menu (window coordinates), no button down.
    void hover(Point locationInWindow);
    void pointerMoved(Point locationInWindow) override { hover(locationInWindow); }
    void clickedOutside() override { dismiss(); }

private:
    MenuWindow& root();
    void finish(MenuItem* chosen);
    void itemHighlighted(MenuItem* item);
    void openSubmenu(MenuItem& item);
    void enterSubmenu(MenuItem& item);
    void leaveSubmenu();
    void closeSubmenu();
    Point submenuOrigin(const MenuItem& item, Size submenuSize) const;

    MenuWindow* parent_;
    MenuView* view_ = nullptr;
    std::unique_ptr<MenuWindow> submenu_;
    // A closed submenu, kept until the next one closes: it may be the window
    // whose key press closed it.
    std::unique_ptr<MenuWindow> retired_;
    bool tracking_ = false;
    MenuItem* chosen_ = nullptr;
};

}  // namespace kit
