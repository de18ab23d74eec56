#include "kit/MenuWindow.h"

#include <algorithm>

#include "kit/Application.h"
#include "kit/Menu.h"
#include "kit/MenuView.h"
#include "platform/Platform.h"

namespace kit {
namespace {

MenuWindow* trackedMenu = nullptr;

// A screen for menus when the desktop has none to tell us about.
constexpr platform::ScreenFrame fallbackScreen{0, 0, 1440, 900};
// A submenu overlaps its menu a little, as the desktop's do.
constexpr double submenuOverlap = 2;

Rect screenFrame() {
    auto screen = platform::current().windowServer.mainScreenFrame().value_or(fallbackScreen);
    return {screen.x, screen.y, screen.width, screen.height};
}

// Moved just enough to lie on the screen; the top-left corner wins when the
// menu is larger than the screen.
Point keptOnScreen(Point origin, Size size) {
    Rect screen = screenFrame();
    double x = std::max(screen.minX(), std::min(origin.x, screen.maxX() - size.width));
    double y = std::max(screen.minY(), std::min(origin.y, screen.maxY() - size.height));
    return {x, y};
}

}  // namespace

MenuWindow::MenuWindow(Menu& menu, MenuWindow* parent)
    : Window({0, 0}, 0, platform::NativeWindowKind::popUpMenu), parent_(parent) {
    MenuView::Callbacks callbacks{
        .choose = [this](MenuItem& item) { root().finish(&item); },
        .dismiss = [this] { dismiss(); },
        .highlighted = [this](MenuItem* item) { itemHighlighted(item); },
        .enterSubmenu = [this](MenuItem& item) { enterSubmenu(item); },
        .leaveSubmenu = [this] { leaveSubmenu(); },
    };
    auto view = std::make_unique<MenuView>(menu, std::move(callbacks));
    view_ = view.get();
    setContentView(std::move(view));
    setContentSize(view_->fittingSize());
}

MenuWindow::~MenuWindow() {
    if (trackedMenu == this) trackedMenu = nullptr;
}

MenuWindow* MenuWindow::current() {
    return trackedMenu;
}

Menu& MenuWindow::menu() const {
    return view_->menu();
}

MenuWindow& MenuWindow::root() {
    return parent_ ? parent_->root() : *this;
}

void MenuWindow::placeAt(Point location, const MenuItem* positioningItem) {
    const auto* row = positioningItem ? view_->row(*positioningItem) : nullptr;
    Point origin{location.x, location.y - (row ? row->frame.minY() : 0)};
    setFrameOrigin(keptOnScreen(origin, frame().size));
    // As on the desktop, the item the menu opens at is the one Return picks.
    if (row) view_->highlight(row->item);
}

// The menu takes the keyboard while it is open; the window that had it gets
// it back before the chosen action goes out, so the action travels the
// responder chain from there.
MenuItem* MenuWindow::track() {
    MenuWindow* outer = trackedMenu;
    trackedMenu = this;
    auto* application = Application::existing();
    Window* previousKeyWindow = application ? application->keyWindow() : nullptr;
    chosen_ = nullptr;
    tracking_ = true;
    makeKeyAndOrderFront();
    makeFirstResponder(view_);

    platform::current().runLoop.run();

    // A loop that ran dry (or was ended for good) dismisses the menu.
    tracking_ = false;
    closeSubmenu();
    orderOut();
    trackedMenu = outer;
    if (previousKeyWindow && previousKeyWindow->isVisible())
        previousKeyWindow->makeKeyAndOrderFront();
    return chosen_;
}

void MenuWindow::finish(MenuItem* chosen) {
    if (!tracking_) return;
    tracking_ = false;
    chosen_ = chosen;
    platform::current().runLoop.stop();
}

bool MenuWindow::chooseItem(const std::string& title) {
    const auto* row = view_->row(title);
    if (!row) return false;
    Point point = view_->convertToWindow({row->frame.midX(), row->frame.midY()});
    sendEvent(Event::mouse(Event::Type::leftMouseDown, point));
    sendEvent(Event::mouse(Event::Type::leftMouseUp, point));
    return true;
}

void MenuWindow::dismiss() {
    root().finish(nullptr);
}

void MenuWindow::hover(Point locationInWindow) {
    view_->hover(view_->convertFromWindow(locationInWindow));
}

// Submenus.

void MenuWindow::itemHighlighted(MenuItem* item) {
    Menu* wanted = item ? item->submenu() : nullptr;
    if (submenu_ && &submenu_->menu() == wanted) return;
    closeSubmenu();
    if (wanted) openSubmenu(*item);
}

void MenuWindow::openSubmenu(MenuItem& item) {
    Menu& menu = *item.submenu();
    if (menu.delegate()) menu.delegate()->menuNeedsUpdate(menu);
    submenu_ = std::make_unique<MenuWindow>(menu, this);
    submenu_->setFrameOrigin(submenuOrigin(item, submenu_->frame().size));
    submenu_->orderFront();
}

Point MenuWindow::submenuOrigin(const MenuItem& item, Size submenuSize) const {
    Rect own = frame();
    const auto* row = view_->row(item);
    // Its first item level with the item it opens from.
    double y = own.minY() + (row ? row->frame.minY() : 0) - MenuView::verticalPadding;
    double x = own.maxX() - submenuOverlap;
    if (x + submenuSize.width > screenFrame().maxX())
        x = own.minX() - submenuSize.width + submenuOverlap;
    return keptOnScreen({x, y}, submenuSize);
}

void MenuWindow::enterSubmenu(MenuItem& item) {
    if (!submenu_ || &submenu_->menu() != item.submenu()) {
        closeSubmenu();
        openSubmenu(item);
    }
    submenu_->makeKeyAndOrderFront();
    submenu_->makeFirstResponder(submenu_->view_);
    submenu_->view_->highlightFirst();
}

void MenuWindow::leaveSubmenu() {
    if (!parent_) return;
    MenuWindow* parent = parent_;
    parent->makeKeyAndOrderFront();
    parent->makeFirstResponder(parent->view_);
    parent->closeSubmenu();
}

void MenuWindow::closeSubmenu() {
    if (!submenu_) return;
    submenu_->closeSubmenu();
    submenu_->orderOut();
    retired_ = std::move(submenu_);
}

}  // namespace kit
