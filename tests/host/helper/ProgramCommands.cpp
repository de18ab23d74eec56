// Scenarios that run the program's own code on the real host.

#include <cstdio>
#include <string>

#include "Commands.h"
#include "core/AppController.h"
#include "host/HostPlatform.h"
#include "kit/Application.h"
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
