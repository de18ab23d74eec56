#include "kit/Menu.h"

#include "platform/Unicode.h"

namespace kit {
namespace {

bool isUppercaseLetter(const std::string& text) {
    return !text.empty() && platform::unicode::lowercased(text) != text &&
           platform::unicode::uppercased(text) == text;
}

}  // namespace

MenuItem::MenuItem(std::string title, Action action, std::string keyEquivalent)
    : title_(std::move(title)), action_(std::move(action)), keyEquivalent_(std::move(keyEquivalent)) {}

MenuItem::~MenuItem() = default;

std::unique_ptr<MenuItem> MenuItem::separator() {
    auto item = std::make_unique<MenuItem>("", "", "");
    item->separator_ = true;
    return item;
}

std::unique_ptr<MenuItem> MenuItem::sectionHeader(std::string title) {
    auto item = std::make_unique<MenuItem>(std::move(title), "", "");
    item->sectionHeader_ = true;
    item->enabled_ = false;
    return item;
}

void MenuItem::setSubmenu(std::unique_ptr<Menu> submenu) { submenu_ = std::move(submenu); }

bool MenuItem::matchesKeyEquivalent(const std::string& characters, std::uint64_t modifiers) const {
    if (separator_ || !enabled_ || keyEquivalent_.empty()) return false;
    auto required = modifierMask_ & KeyModifier::mask;
    if (isUppercaseLetter(keyEquivalent_)) required |= KeyModifier::shift;
    if ((modifiers & KeyModifier::mask) != required) return false;
    return platform::unicode::lowercased(characters) ==
           platform::unicode::lowercased(keyEquivalent_);
}

MenuItem& Menu::addItem(std::unique_ptr<MenuItem> item) {
    item->menu_ = this;
    items_.push_back(std::move(item));
    return *items_.back();
}

std::optional<std::size_t> Menu::indexOf(const MenuItem& item) const {
    for (std::size_t index = 0; index < items_.size(); ++index) {
        if (items_[index].get() == &item) return index;
    }
    return std::nullopt;
}

MenuItem& Menu::addItem(std::string title, Action action, std::string keyEquivalent) {
    return addItem(
        std::make_unique<MenuItem>(std::move(title), std::move(action), std::move(keyEquivalent)));
}

MenuItem* Menu::itemForKeyEquivalent(const std::string& characters,
                                     std::uint64_t modifiers) const {
    for (const auto& item : items_) {
        if (item->matchesKeyEquivalent(characters, modifiers)) return item.get();
        if (!item->submenu()) continue;
        if (auto* found = item->submenu()->itemForKeyEquivalent(characters, modifiers)) return found;
    }
    return nullptr;
}

}  // namespace kit
