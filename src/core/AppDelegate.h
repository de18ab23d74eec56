#pragma once

// The application delegate: creates the controller once launching has
// finished and answers the desktop's reopen and "Settings…" requests.

#include <memory>

#include "core/AppController.h"
#include "kit/Application.h"

class AppDelegate : public kit::ApplicationDelegate {
public:
    void applicationDidFinishLaunching() override;
    // Always false, so the application does nothing of its own.
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override;
    bool tryToPerform(const kit::Action& action, kit::Responder* sender) override;

    AppController* controller() const { return controller_.get(); }

private:
    void showSettings();

    std::unique_ptr<AppController> controller_;
};
