#include "core/AppDelegate.h"

void AppDelegate::applicationDidFinishLaunching() {
    controller_ = std::make_unique<AppController>();
}

bool AppDelegate::applicationShouldHandleReopen(bool) {
    showSettings();
    return false;
}

bool AppDelegate::tryToPerform(const kit::Action& action, kit::Responder*) {
    if (action != "showSettings:") return false;
    showSettings();
    return true;
}

void AppDelegate::showSettings() {
    // Before launch has finished there is nothing to show. The settings
    // window joins the controller with the settings user interface.
    if (!controller_) return;
}
