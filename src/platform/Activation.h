#pragma once

// How the application presents itself to the desktop.

namespace platform {

enum class ActivationPolicy {
    regular = 0,     // ordinary application with a Dock icon and switcher entry
    accessory = 1,   // menu-bar utility: no Dock icon, no switcher entry
    prohibited = 2,  // background only
};

class Activation {
public:
    virtual ~Activation() = default;
    virtual void setPolicy(ActivationPolicy policy) = 0;
    virtual ActivationPolicy policy() const = 0;
    // Brings the application to the front.
    virtual void activate(bool ignoringOtherApps) = 0;
    virtual bool isActive() const = 0;
};

}  // namespace platform
