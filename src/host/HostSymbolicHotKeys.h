#pragma once

// The system's own shortcuts on this host. Like the desktop it stands in for,
// the user's configuration lives in the `com.apple.symbolichotkeys` domain,
// key `AppleSymbolicHotKeys`: a dictionary from the shortcut's number to
// {enabled = bool; value = {parameters = (character, key code, Carbon
// modifiers)}}. Without that key the system has its factory shortcuts, which
// the program hands over at start-up (they are the modelled system's data).

#include "platform/PreferenceDomains.h"
#include "platform/SymbolicHotKeys.h"

namespace host {

class HostSymbolicHotKeys : public platform::SymbolicHotKeys {
public:
    static constexpr const char* domain = "com.apple.symbolichotkeys";
    static constexpr const char* key = "AppleSymbolicHotKeys";

    explicit HostSymbolicHotKeys(platform::PreferenceDomains& preferences)
        : preferences_(preferences) {}

    // Entries in the form copySymbolicHotKeys() answers.
    void setFactorySet(platform::PropertyArray factorySet) { factorySet_ = std::move(factorySet); }

    std::optional<platform::PropertyValue> copySymbolicHotKeys() override;

private:
    platform::PreferenceDomains& preferences_;
    platform::PropertyArray factorySet_;
};

}  // namespace host
