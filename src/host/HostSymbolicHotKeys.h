#pragma once

// The system's own shortcuts on this host. Like the desktop it stands in for,
// a machine has its factory shortcuts, and the user's changes live in the
// `com.apple.symbolichotkeys` domain, key `AppleSymbolicHotKeys`: a
// dictionary from the shortcut's number to {enabled = bool; value =
// {parameters = (character, key code, modifier flags)}}, the flags in the
// device-independent bits. Each stored entry replaces the factory shortcut of
// its number; the factory set comes from the program at start-up (it is the
// modelled system's data).

#include <vector>

#include "platform/PreferenceDomains.h"
#include "platform/SymbolicHotKeys.h"

namespace host {

class HostSymbolicHotKeys : public platform::SymbolicHotKeys {
public:
    static constexpr const char* domain = "com.apple.symbolichotkeys";
    static constexpr const char* key = "AppleSymbolicHotKeys";

    explicit HostSymbolicHotKeys(platform::PreferenceDomains& preferences)
        : preferences_(preferences) {}

    void setFactorySet(std::vector<platform::NumberedSymbolicHotKey> factorySet) {
        factorySet_ = std::move(factorySet);
    }

    // The factory set in its order with the stored changes applied, then the
    // stored shortcuts of other numbers in number order. A damaged stored
    // entry changes nothing.
    std::optional<platform::PropertyValue> copySymbolicHotKeys() override;

private:
    platform::PreferenceDomains& preferences_;
    std::vector<platform::NumberedSymbolicHotKey> factorySet_;
};

}  // namespace host
