#include "menubar/MenuBarRightClickMonitor.h"

#include "menubar/MenuBarHitTest.h"
#include "platform/Logger.h"
#include "platform/ModifierFlags.h"
#include "platform/Platform.h"

using platform::GlobalMouseEvent;

MenuBarRightClickMonitor::MenuBarRightClickMonitor(Action action)
    : action_(std::move(action)), self_(std::make_shared<MenuBarRightClickMonitor*>(this)) {}

MenuBarRightClickMonitor::~MenuBarRightClickMonitor() {
    stop();
}

void MenuBarRightClickMonitor::setEnabled(bool enabled) {
    if (enabled == isEnabled_) return;
    isEnabled_ = enabled;
    if (enabled) {
        start();
        return;
    }
    stop();
}

void MenuBarRightClickMonitor::start() {
    if (monitor_) return;
    std::weak_ptr<MenuBarRightClickMonitor*> weakSelf = self_;
    monitor_ = platform::current().globalEventMonitor.addGlobalMonitor(
        GlobalMouseEvent::leftMouseDownMask | GlobalMouseEvent::rightMouseDownMask,
        [weakSelf](const GlobalMouseEvent& event) {
            if (auto self = weakSelf.lock()) (*self)->handle(event);
        });
    // Stays enabled but inert; nothing retries until the next enable.
    if (!monitor_) Log::app().error("Could not install the global mouse monitor");
}

void MenuBarRightClickMonitor::stop() {
    if (monitor_) platform::current().globalEventMonitor.removeMonitor(*monitor_);
    monitor_.reset();
}

namespace {

// Control-click is the one-button mouse's right-click; other modifiers don't matter.
bool qualifies(const GlobalMouseEvent& event) {
    if (event.type == GlobalMouseEvent::rightMouseDown) return true;
    return event.type == GlobalMouseEvent::leftMouseDown &&
           (event.modifierFlags & platform::ModifierFlags::control) != 0;
}

// A press on one of our own windows carries window coordinates, so ask where
// the pointer is instead.
platform::ScreenPoint location(const GlobalMouseEvent& event) {
    if (event.hasWindow) return platform::current().globalEventMonitor.mouseLocation();
    return {event.x, event.y};
}

}  // namespace

void MenuBarRightClickMonitor::handle(const GlobalMouseEvent& event) {
    if (!qualifies(event)) return;
    if (!MenuBarHitTest::isOnMenuBar(location(event))) return;
    action_();
}
