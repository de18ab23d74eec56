#include "core/HotKeyState.h"

std::string hotKeyDescription(const HotKeyState& state) {
    if (auto* active = std::get_if<HotKeyStates::Active>(&state)) return active->hotKey.displayText();
    if (auto* inactive = std::get_if<HotKeyStates::Inactive>(&state)) {
        return inactive->hotKey.displayText() + " (inactive)";
    }
    return "off";
}
