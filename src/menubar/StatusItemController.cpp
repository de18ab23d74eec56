#include "menubar/StatusItemController.h"

#include "core/AppController.h"

StatusItemController::StatusItemController(AppController& controller)
    : controller_(controller), statusItem_(kit::StatusItem::create()) {}

StatusItemController::~StatusItemController() = default;

void StatusItemController::syncAutoHideState() {}

void StatusItemController::showHotKeyInMenu() {}

void StatusItemController::menuNeedsUpdate(kit::Menu&) {}

bool StatusItemController::tryToPerform(const kit::Action& action, kit::Responder* sender) {
    return kit::Responder::tryToPerform(action, sender);
}
