#pragma once

// Toggles auto-hide when the user right-clicks, or Control-clicks, an empty
// stretch of the menu bar. Watches presses meant for other applications; they
// still receive them.

#include <functional>
#include <memory>
#include <optional>

#include "platform/GlobalEventMonitor.h"

class MenuBarRightClickMonitor {
public:
    using Action = std::function<void()>;

    // Starts disabled; installs nothing until enabled.
    explicit MenuBarRightClickMonitor(Action action);
    ~MenuBarRightClickMonitor();
    MenuBarRightClickMonitor(const MenuBarRightClickMonitor&) = delete;
    MenuBarRightClickMonitor& operator=(const MenuBarRightClickMonitor&) = delete;

    bool isEnabled() const { return isEnabled_; }
    // Only a change starts or stops monitoring; enabling again after a failed
    // install is how to retry.
    void setEnabled(bool enabled);

private:
    void start();
    void stop();
    void handle(const platform::GlobalMouseEvent& event);

    Action action_;
    std::optional<platform::EventMonitorId> monitor_;
    bool isEnabled_ = false;
    // What the installed handler holds on to, so it does nothing once we are gone.
    std::shared_ptr<MenuBarRightClickMonitor*> self_;
};
