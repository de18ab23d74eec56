#pragma once

// What the settings window asks of the object that owns it: the shortcut and
// its state, the switches the window shows, and the rule engine its list
// edits. The application controller implements it.

#include <functional>
#include <optional>

#include "core/HotKeyProblem.h"
#include "core/HotKeyState.h"
#include "shortcuts/HotKey.h"

class AppRuleEngine;

class SettingsWindowOwner {
public:
    virtual const HotKeyState& hotKeyState() const = 0;
    // Records or (with none) clears the shortcut; a refusal changes nothing.
    virtual std::optional<HotKeyProblem> setHotKey(const std::optional<HotKey>& hotKey) = 0;
    // Tests the shortcut again, so a conflict that came or went is shown.
    virtual void refreshHotKeyState() = 0;
    virtual bool rightClickEnabled() const = 0;
    virtual void setRightClickEnabled(bool enabled) = 0;
    virtual void toggleLaunchAtLogin() = 0;
    // The status item's picture follows a newly chosen icon style.
    virtual void statusIconStyleDidChange() = 0;
    virtual AppRuleEngine& ruleEngine() = 0;
    // Installs (or with an empty function removes) what runs after every
    // change the window shows.
    virtual void observeStateChanges(std::function<void()> observer) = 0;
    // Runs that observer.
    virtual void stateChanged() = 0;

protected:
    ~SettingsWindowOwner() = default;
};
