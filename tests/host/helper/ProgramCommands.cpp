// Scenarios that run the program's own code on the real host.

#include <cstdio>
#include <string>

#include "Commands.h"
#include "core/AppController.h"
#include "host/HostPlatform.h"
#include "kit/Application.h"
#include "kit/Label.h"
#include "shortcuts/KeyCodeName.h"

namespace {

// toggle: starts the controller as a launch does, toggles once from the
// menu and lets the loop turn so everything posted leaves.
helper::HelperCommand toggleCommand("toggle", [](const std::vector<std::string>&) {
    host::HostPlatform host;
    platform::install(&host.platform());
    {
        kit::Application app;
        AppController controller;
        controller.toggleAutoHide(AppController::sourceMenu);
        auto& runLoop = host.platform().runLoop;
        runLoop.runUntil(runLoop.now() + 0.2);
    }
    platform::install(nullptr);
    return 0;
});

// key-names CODE...: prints "CODE NAME" for each key code on the desktop's
// keyboard layout.
helper::HelperCommand keyNamesCommand("key-names", [](const std::vector<std::string>& codes) {
    host::HostPlatform host;
    platform::install(&host.platform());
    for (const auto& code : codes) {
        auto keyCode = static_cast<std::uint32_t>(std::stoul(code));
        std::printf("%u %s\n", keyCode, KeyCodeName::name(keyCode).c_str());
    }
    platform::install(nullptr);
    return 0;
});

}  // namespace

namespace {

// login-toggle: starts the controller, toggles launch at login once and says
// "status N" with the login-item status afterwards; an alert shown for a
// refusal is read out ("alert <each text>") and dismissed.
helper::HelperCommand loginToggleCommand("login-toggle", [](const std::vector<std::string>&) {
    host::HostPlatform host;
    platform::install(&host.platform());
    {
        kit::Application app;
        AppController controller;
        auto& runLoop = host.platform().runLoop;
        runLoop.scheduleTimer(0.2, false, [&app] {
            auto* alert = app.modalWindow();
            if (!alert) return;
            alert->contentView()->findView([](const kit::View& view) {
                if (auto* label = dynamic_cast<const kit::Label*>(&view)) std::printf("alert %s\n", label->text().c_str());
                return false;
            });
            app.stopModal(1000);
        });
        controller.toggleLaunchAtLogin();
        std::printf("status %d\n", static_cast<int>(host.platform().loginItems.status()));
    }
    platform::install(nullptr);
    return 0;
});

}  // namespace
