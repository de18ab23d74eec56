#pragma once

// The program's status item: an icon that shows whether the menu bar hides
// itself, in the chosen style, and a menu of toggles and housekeeping
// commands. It follows every change of the setting through the setting's
// change notification.

#include <memory>

#include "kit/Menu.h"
#include "kit/Responder.h"
#include "kit/StatusItem.h"
#include "platform/DistributedNotifications.h"

class AppController;

class StatusItemController : public kit::Responder, public kit::MenuDelegate {
public:
    explicit StatusItemController(AppController& controller);
    ~StatusItemController() override;
    StatusItemController(const StatusItemController&) = delete;
    StatusItemController& operator=(const StatusItemController&) = delete;

    // Icon, tooltip and the "Auto-hide Menu Bar" check mark from the setting.
    void syncAutoHideState();
    // Shows the active shortcut beside "Auto-hide Menu Bar".
    void showHotKeyInMenu();

    void menuNeedsUpdate(kit::Menu& menu) override;
    bool tryToPerform(const kit::Action& action, kit::Responder* sender) override;

    kit::StatusItem& statusItem() { return *statusItem_; }

private:
    AppController& controller_;
    std::unique_ptr<kit::StatusItem> statusItem_;
};
