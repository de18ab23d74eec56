#include "kit/StatusItem.h"

#include "kit/Application.h"
#include "kit/View.h"
#include "platform/Platform.h"

namespace kit {
namespace {

platform::StatusBar::Callbacks callbacksFor(const std::shared_ptr<StatusItem*>& alive,
                                            void (StatusItem::*willOpen)(int),
                                            void (StatusItem::*clicked)(int),
                                            void (StatusItem::*requested)(int, int)) {
    std::weak_ptr<StatusItem*> weak = alive;
    return {
        .menuWillOpen =
            [weak, willOpen](int menuId) {
                if (auto item = weak.lock()) ((*item)->*willOpen)(menuId);
            },
        .entryClicked =
            [weak, clicked](int entryId) {
                if (auto item = weak.lock()) ((*item)->*clicked)(entryId);
            },
        .menuRequested =
            [weak, requested](int x, int y) {
                if (auto item = weak.lock()) ((*item)->*requested)(x, y);
            },
        .appearanceChanged =
            [weak] {
                if (auto item = weak.lock()) (*item)->button().appearanceChanged();
            },
    };
}

}  // namespace

std::unique_ptr<StatusItem> StatusItem::create(double length) {
    return std::unique_ptr<StatusItem>(new StatusItem(platform::current().statusBar, length));
}

StatusItem::StatusItem(platform::StatusBar& statusBar, double length)
    : statusBar_(statusBar),
      id_(statusBar.addItem(callbacksFor(alive_, &StatusItem::menuWillOpen,
                                         &StatusItem::entryClicked, &StatusItem::menuRequested))),
      length_(length),
      button_(statusBar, id_) {}

StatusItem::~StatusItem() {
    statusBar_.removeItem(id_);
}

void StatusItem::setMenu(std::unique_ptr<Menu> menu) {
    menu_ = std::move(menu);
    menuDidChange();
}

void StatusItem::menuDidChange() {
    statusBar_.setMenu(id_, menu_ ? tree_.convert(*menu_) : platform::StatusMenuEntry{});
}

void StatusItem::menuWillOpen(int menuId) {
    if (!menu_) return;
    Menu* opening = tree_.menu(menuId, *menu_);
    if (!opening) return;
    if (opening->delegate()) opening->delegate()->menuNeedsUpdate(*opening);
    menuDidChange();
}

// The menu shown by us, as the desktop would have: updated by its delegate
// first, its choice sent like a click on the desktop's copy. A view outside
// any window stands for the screen point.
void StatusItem::menuRequested(int x, int y) {
    // One menu at a time, however often the desktop asks while it is open.
    if (!menu_ || showingMenu_) return;
    std::weak_ptr<StatusItem*> alive = alive_;
    showingMenu_ = true;
    View screen;
    menu_->popUp(nullptr, {double(x), double(y)}, screen);
    // The chosen action may have removed the item.
    if (alive.expired()) return;
    showingMenu_ = false;
    menuDidChange();
}

void StatusItem::entryClicked(int entryId) {
    if (!menu_) return;
    MenuItem* item = tree_.item(entryId, *menu_);
    if (!item || !item->isEnabled() || item->action().empty()) return;
    if (auto* application = Application::existing()) {
        application->sendAction(item->action(), item->target(), nullptr);
        return;
    }
    // No responder chain without an application: only a target hears it.
    if (item->target()) item->target()->tryToPerform(item->action(), nullptr);
}

}  // namespace kit
