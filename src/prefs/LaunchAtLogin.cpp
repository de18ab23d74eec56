#include "prefs/LaunchAtLogin.h"

#include "platform/Platform.h"

namespace LaunchAtLogin {

namespace {

// Registration usually fails because the service will not register an
// application run from a temporary place such as the build folder.
constexpr const char* permanentLocationHint =
    "\n\nThis usually means the app isn't in a permanent location yet. Move Tarnwick.app to "
    "/Applications (or run ./build.sh install) and try again.";

}  // namespace

platform::LoginItemStatus status() {
    return platform::current().loginItems.status();
}

std::optional<platform::LoginItemError> toggle() {
    auto& loginItems = platform::current().loginItems;
    switch (loginItems.status()) {
        case platform::LoginItemStatus::requiresApproval:
            // The user approves or removes it there; toggling here would
            // undo a registration they have not yet had a chance to approve.
            loginItems.openSystemSettingsLoginItems();
            return std::nullopt;
        case platform::LoginItemStatus::enabled:
            return loginItems.unregisterItem();
        case platform::LoginItemStatus::notRegistered:
        case platform::LoginItemStatus::notFound:
            break;
    }
    return loginItems.registerItem();
}

FailureAlert failureAlert(const platform::LoginItemError& error) {
    return {"Couldn't change Launch at Login",
            error.localizedDescription + permanentLocationHint,
            {"OK"}};
}

}  // namespace LaunchAtLogin
