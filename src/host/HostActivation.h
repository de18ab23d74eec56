#pragma once

// The application's presentation policy and whether it is active.
//
// Linux has no Dock: the policy is kept here, and the windows read it to
// set their skip-taskbar and skip-pager hints.

#include "platform/Activation.h"

namespace host {

class HostActivation : public platform::Activation {
public:
    void setPolicy(platform::ActivationPolicy policy) override { policy_ = policy; }
    platform::ActivationPolicy policy() const override { return policy_; }
    // Only marks the program active: keyboard focus on X11 belongs to a
    // window, so giving it comes with the windows.
    void activate(bool ignoringOtherApps) override;
    bool isActive() const override { return active_; }

private:
    platform::ActivationPolicy policy_ = platform::ActivationPolicy::regular;
    bool active_ = false;
};

}  // namespace host
