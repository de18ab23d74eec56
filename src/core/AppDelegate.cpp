#include "core/AppDelegate.h"

#include "core/AppIcon.h"
#include "housekeeping/SingleInstance.h"
#include "housekeeping/Snapshot.h"
#include "platform/Platform.h"
#include "ui/SettingsWindowController.h"

void AppDelegate::applicationDidFinishLaunching() {
    // A snapshot run neither replaces a running copy nor is replaced by one.
    bool replacedACopy = !Snapshot::directory() && SingleInstance::enforce();
    if (kit::Application::shared().isTerminating()) return;
    kit::Application::shared().setApplicationIconImage(AppIcon::image());
    controller_ = std::make_unique<AppController>();
    // Starting the program again is how a person reaches its settings where
    // every start is a new process: the new copy shows them, as the running
    // one would have when reopened. After the launch line, as at first launch.
    if (replacedACopy) platform::current().runLoop.post([this] { showSettings(); });
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
    // Before launch has finished there is nothing to show.
    if (!controller_) return;
    controller_->showSettings();
}
