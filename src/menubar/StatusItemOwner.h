#pragma once

// What the status item asks of the object that owns it: the menu's toggles
// and the active shortcut it shows. The application controller implements it.

#include <optional>

#include "shortcuts/HotKey.h"

class StatusItemOwner {
public:
    // Flips the setting, naming the status menu as its source.
    virtual void toggleAutoHideFromMenu() = 0;
    // The shortcut that toggles, when one is registered and working.
    virtual std::optional<HotKey> activeHotKey() const = 0;
    virtual bool rightClickEnabled() const = 0;
    virtual void setRightClickEnabled(bool enabled) = 0;
    virtual void toggleLaunchAtLogin() = 0;
    virtual void showSettings() = 0;

protected:
    ~StatusItemOwner() = default;
};
