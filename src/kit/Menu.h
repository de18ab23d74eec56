#pragma once

// Menus and their items: titles, actions sent to a target or along the
// responder chain, and key equivalents.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/ControlState.h"
#include "kit/Font.h"
#include "kit/Geometry.h"
#include "kit/Image.h"
#include "kit/Responder.h"
#include "platform/ModifierFlags.h"
#include "platform/PropertyValue.h"

namespace kit {

class Menu;
class View;

namespace KeyModifier = platform::ModifierFlags;

class MenuDelegate {
public:
    virtual ~MenuDelegate() = default;
    // Just before the menu opens: the last moment to bring its items up to date.
    virtual void menuNeedsUpdate(Menu&) {}
};

class MenuItem {
public:
    MenuItem(std::string title, Action action, std::string keyEquivalent);
    static std::unique_ptr<MenuItem> separator();
    // A title over the items that follow; never chosen.
    static std::unique_ptr<MenuItem> sectionHeader(std::string title);
    ~MenuItem();

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    const Action& action() const { return action_; }
    void setAction(Action action) { action_ = std::move(action); }
    // The item's key text; an uppercase letter also asks for Shift.
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string keyEquivalent) { keyEquivalent_ = std::move(keyEquivalent); }
    std::uint64_t keyEquivalentModifierMask() const { return modifierMask_; }
    void setKeyEquivalentModifierMask(std::uint64_t mask) { modifierMask_ = mask; }
    // The key equivalent is also a global hot key, so it works outside our
    // own windows: a desktop that shows this menu in its panel shows it too.
    // Other key equivalents work only in our windows and menus.
    bool keyEquivalentIsGlobal() const { return globalKeyEquivalent_; }
    void setKeyEquivalentIsGlobal(bool global) { globalKeyEquivalent_ = global; }
    // Null: the action travels the responder chain.
    Responder* target() const { return target_; }
    void setTarget(Responder* target) { target_ = target; }
    bool isSeparator() const { return separator_; }
    bool isSectionHeader() const { return sectionHeader_; }
    Menu* submenu() const { return submenu_.get(); }
    void setSubmenu(std::unique_ptr<Menu> submenu);
    Menu* menu() const { return menu_; }

    ControlState state() const { return state_; }
    void setState(ControlState state) { state_ = state; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string toolTip) { toolTip_ = std::move(toolTip); }
    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image) { image_ = std::move(image); }
    // Whatever the menu's owner wants to find again when the item is chosen.
    const std::optional<platform::PropertyValue>& representedObject() const { return representedObject_; }
    void setRepresentedObject(std::optional<platform::PropertyValue> value) { representedObject_ = std::move(value); }

    // Whether a key press with these characters (ignoring modifiers) and
    // modifier bits is this item's key equivalent.
    bool matchesKeyEquivalent(const std::string& characters, std::uint64_t modifiers) const;

private:
    std::string title_;
    Action action_;
    std::string keyEquivalent_;
    std::uint64_t modifierMask_ = KeyModifier::command;
    bool globalKeyEquivalent_ = false;
    Responder* target_ = nullptr;
    bool separator_ = false;
    bool sectionHeader_ = false;
    std::unique_ptr<Menu> submenu_;
    Menu* menu_ = nullptr;
    ControlState state_ = ControlState::off;
    bool enabled_ = true;
    std::string toolTip_;
    std::optional<Image> image_;
    std::optional<platform::PropertyValue> representedObject_;

    friend class Menu;
};

class Menu {
public:
    explicit Menu(std::string title = "") : title_(std::move(title)) {}
    const std::string& title() const { return title_; }
    MenuItem& addItem(std::unique_ptr<MenuItem> item);
    MenuItem& addItem(std::string title, Action action, std::string keyEquivalent);
    const std::vector<std::unique_ptr<MenuItem>>& items() const { return items_; }
    MenuItem* item(std::size_t index) const { return index < items_.size() ? items_[index].get() : nullptr; }
    std::optional<std::size_t> indexOf(const MenuItem& item) const;
    void removeAllItems() { items_.clear(); }
    MenuDelegate* delegate() const { return delegate_; }
    void setDelegate(MenuDelegate* delegate) { delegate_ = delegate; }
    // The items' font; a pop-up button's menu takes its control's.
    const Font& font() const { return font_; }
    void setFont(Font font) { font_ = std::move(font); }

    // Shows the menu as a pop-up at `location` in `view`'s coordinates (with
    // `positioningItem`, when given, placed at the location), tracks it until
    // the user chooses an item or dismisses it, and sends the chosen item's
    // action. Answers the chosen item, null when dismissed.
    // The delegate is asked to update the menu first. Tracking is a nested
    // run of the loop (see MenuWindow); the action goes out after the menu
    // has closed, with `view` as the sender. Without an application only an
    // item's own target hears its action.
    MenuItem* popUp(const MenuItem* positioningItem, Point location, View& view);
    // The first item, here or in a submenu, whose key equivalent this is.
    MenuItem* itemForKeyEquivalent(const std::string& characters, std::uint64_t modifiers) const;

private:
    std::string title_;
    std::vector<std::unique_ptr<MenuItem>> items_;
    MenuDelegate* delegate_ = nullptr;
    Font font_ = Font::systemFont();
};

}  // namespace kit
