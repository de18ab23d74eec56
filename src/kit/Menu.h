#pragma once

// Menus and their items: titles, actions sent to a target or along the
// responder chain, and key equivalents.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/Responder.h"
#include "platform/ModifierFlags.h"

namespace kit {

class Menu;

namespace KeyModifier = platform::ModifierFlags;

class MenuItem {
public:
    MenuItem(std::string title, Action action, std::string keyEquivalent);
    static std::unique_ptr<MenuItem> separator();
    ~MenuItem();

    const std::string& title() const { return title_; }
    const Action& action() const { return action_; }
    // The item's key text; an uppercase letter also asks for Shift.
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string keyEquivalent) { keyEquivalent_ = std::move(keyEquivalent); }
    std::uint64_t keyEquivalentModifierMask() const { return modifierMask_; }
    void setKeyEquivalentModifierMask(std::uint64_t mask) { modifierMask_ = mask; }
    // Null: the action travels the responder chain.
    Responder* target() const { return target_; }
    void setTarget(Responder* target) { target_ = target; }
    bool isSeparator() const { return separator_; }
    Menu* submenu() const { return submenu_.get(); }
    void setSubmenu(std::unique_ptr<Menu> submenu);

    // Whether a key press with these characters (ignoring modifiers) and
    // modifier bits is this item's key equivalent.
    bool matchesKeyEquivalent(const std::string& characters, std::uint64_t modifiers) const;

private:
    std::string title_;
    Action action_;
    std::string keyEquivalent_;
    std::uint64_t modifierMask_ = KeyModifier::command;
    Responder* target_ = nullptr;
    bool separator_ = false;
    std::unique_ptr<Menu> submenu_;
};

class Menu {
public:
    explicit Menu(std::string title = "") : title_(std::move(title)) {}
    const std::string& title() const { return title_; }
    MenuItem& addItem(std::unique_ptr<MenuItem> item);
    MenuItem& addItem(std::string title, Action action, std::string keyEquivalent);
    const std::vector<std::unique_ptr<MenuItem>>& items() const { return items_; }
    // The first item, here or in a submenu, whose key equivalent this is.
    MenuItem* itemForKeyEquivalent(const std::string& characters, std::uint64_t modifiers) const;

private:
    std::string title_;
    std::vector<std::unique_ptr<MenuItem>> items_;
};

}  // namespace kit
