#pragma once

// The field in which the user types the global shortcut. It records while it
// has keyboard focus and hands what was typed to its owner; whether that is
// acceptable is the owner's business. Idle, it shows whatever the owner last
// put in hotKey().

#include <cstdint>
#include <functional>
#include <optional>

#include "kit/Control.h"
#include "shortcuts/HotKey.h"

class ShortcutRecorderControl : public kit::Control {
public:
    static constexpr kit::Size preferredSize{170, 24};

    ShortcutRecorderControl();

    // The shortcut shown while idle; setting it redraws.
    const std::optional<HotKey>& hotKey() const { return hotKey_; }
    void setHotKey(std::optional<HotKey> hotKey);

    // Told what was typed, or none when the user asked to clear.
    std::function<void(std::optional<HotKey>)> onRecord;

    bool isRecording() const { return recording_; }
    // The modifiers held at the moment while recording (the four-bit set).
    std::uint64_t pressedModifiers() const { return pressedModifiers_; }

    // Drops keyboard focus if this control holds it, which ends recording.
    void stopRecording();

private:
    std::optional<HotKey> hotKey_;
    bool recording_ = false;
    std::uint64_t pressedModifiers_ = 0;
};
