#pragma once

// Starting the program when the user logs in. The registration lives in the
// platform's login-item service and nowhere else: every display asks it.

#include <optional>
#include <string>
#include <vector>

#include "platform/LoginItems.h"

namespace LaunchAtLogin {

// Shown while the registration waits for the user's approval ("›" is U+203A).
inline constexpr const char* waitingForApprovalText =
    "Waiting for approval in System Settings \u203A General \u203A Login Items";

// What the user is told when a change fails, for the caller to show in an
// alert.
struct FailureAlert {
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;
    bool operator==(const FailureAlert&) const = default;
};

// The service's status, read afresh.
platform::LoginItemStatus status();

// Flips the registration. While it waits for approval, only sends the user
// to where approvals are granted and changes nothing. A refused change is
// answered with the service's error.
std::optional<platform::LoginItemError> toggle();

// The alert for a refused change: the service's description first, then a
// hint about where the application must live.
FailureAlert failureAlert(const platform::LoginItemError& error);

}  // namespace LaunchAtLogin
