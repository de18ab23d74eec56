#include "fakes/FakeDesktopServices.h"

#include <stdexcept>

namespace fakes {

namespace {

const platform::StatusMenuEntry* findByLabel(const platform::StatusMenuEntry& entry,
                                             const std::string& label) {
    if (entry.label == label) return &entry;
    for (const auto& child : entry.children) {
        if (auto* found = findByLabel(child, label)) return found;
    }
    return nullptr;
}

}  // namespace

platform::StatusItemId FakeStatusBar::addItem(Callbacks callbacks) {
    auto id = nextId_++;
    items[id].callbacks = std::move(callbacks);
    return id;
}

void FakeStatusBar::setMenu(platform::StatusItemId item, const platform::StatusMenuEntry& root) {
    auto& entry = items.at(item);
    entry.menu = root;
    ++entry.menuUpdates;
}

FakeStatusBar::Item& FakeStatusBar::only() {
    if (items.size() != 1) throw std::logic_error("expected exactly one status item");
    return items.begin()->second;
}

void FakeStatusBar::openMenu() {
    auto& item = only();
    if (item.callbacks.menuWillOpen) item.callbacks.menuWillOpen(0);
}

const platform::StatusMenuEntry* FakeStatusBar::Item::find(const std::string& label) const {
    return findByLabel(menu, label);
}

const platform::StatusMenuEntry& FakeStatusBar::Item::entry(const std::string& label) const {
    auto* found = find(label);
    if (!found) throw std::logic_error("no entry " + label);
    return *found;
}

bool FakeStatusBar::click(const std::string& label) {
    auto& item = only();
    auto* entry = item.find(label);
    if (!entry || entry->kind != platform::StatusMenuEntry::Kind::item || !entry->enabled ||
        !item.callbacks.entryClicked) {
        return false;
    }
    item.callbacks.entryClicked(entry->id);
    return true;
}

}  // namespace fakes
