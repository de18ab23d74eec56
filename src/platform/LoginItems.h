#pragma once

// Starting the application when the user logs in.

#include <optional>
#include <string>

namespace platform {

enum class LoginItemStatus {
    notRegistered = 0,
    enabled = 1,
    requiresApproval = 2,
    notFound = 3,
};

struct LoginItemError {
    std::string localizedDescription;
    bool operator==(const LoginItemError&) const = default;
};

class LoginItems {
public:
    virtual ~LoginItems() = default;
    // Read afresh every time: the user may change it elsewhere.
    virtual LoginItemStatus status() = 0;
    virtual std::optional<LoginItemError> registerItem() = 0;
    virtual std::optional<LoginItemError> unregisterItem() = 0;
    // Sends the user to where pending approvals are granted.
    virtual void openSystemSettingsLoginItems() = 0;
};

}  // namespace platform
