// Menu::popUp: a menu shown at a point of a view and tracked until the user
// chooses or looks away. Kept apart from Menu.cpp, which knows no windows.

#include "kit/Application.h"
#include "kit/Menu.h"
#include "kit/MenuWindow.h"
#include "kit/View.h"

namespace kit {
namespace {

// A view outside any window has no place on the screen; its coordinates are
// then taken as the screen's.
Point screenLocation(Point location, const View& view) {
    Point inWindow = view.convertToWindow(location);
    const Window* window = view.window();
    if (!window) return inWindow;
    Point origin = window->frame().origin;
    return {origin.x + inWindow.x, origin.y + inWindow.y};
}

// Without an application there is no responder chain: an item with a target
// still reaches it, one without is only answered.
void sendChosenAction(const MenuItem& item, View& sender) {
    if (item.action().empty()) return;
    if (auto* application = Application::existing()) {
        application->sendAction(item.action(), item.target(), &sender);
        return;
    }
    if (item.target()) item.target()->tryToPerform(item.action(), &sender);
}

}  // namespace

MenuItem* Menu::popUp(const MenuItem* positioningItem, Point location, View& view) {
    if (delegate_) delegate_->menuNeedsUpdate(*this);
    MenuItem* chosen = nullptr;
    {
        MenuWindow window(*this);
        window.placeAt(screenLocation(location, view), positioningItem);
        chosen = window.track();
    }
    if (chosen) sendChosenAction(*chosen, view);
    return chosen;
}

}  // namespace kit
