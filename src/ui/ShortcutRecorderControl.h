#pragma once

// The field in which the user types the global shortcut. It records while it
// has keyboard focus and hands what was typed to its owner; whether that is
// acceptable is the owner's business. Idle, it shows whatever the owner last
// put in hotKey().

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "kit/Color.h"
#include "kit/Control.h"
#include "kit/TextLayout.h"
#include "shortcuts/HotKey.h"

class ShortcutRecorderControl : public kit::Control {
public:
    static constexpr kit::Size preferredSize{170, 24};
    static constexpr double cornerRadius = 6;

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

    // What draw() shows, and in which colour, in the current state.
    std::string displayText() const;
    kit::Color displayColor() const;

    // kit::View
    kit::Size intrinsicContentSize() const override { return preferredSize; }
    bool acceptsFirstResponder() const override { return isEnabled(); }
    // Recording starts by a click only, never by tabbing through the window.
    bool canBecomeKeyView() const override { return false; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void mouseDown(const kit::Event& event) override;
    void flagsChanged(const kit::Event& event) override;
    void keyDown(const kit::Event& event) override;
    bool performKeyEquivalent(const kit::Event& event) override;
    void draw(kit::GraphicsContext& context) override;
    // The baseline of the shown text, so the row's other views line up on it.
    std::optional<double> firstBaselineOffsetFromTop() const override;
    std::optional<kit::Rect> focusRingMaskBounds() const override { return bounds(); }
    double focusRingCornerRadius() const override { return cornerRadius; }

private:
    void setRecording(bool recording);
    // A key typed while recording: ends recording, then tells the owner.
    void record(const kit::Event& event);
    void report(std::optional<HotKey> hotKey);
    void drawFrame(kit::GraphicsContext& context) const;
    kit::TextLayout textLayout() const;
    kit::Point textOrigin(const kit::TextLayout& layout) const;
    void drawText(kit::GraphicsContext& context) const;

    std::optional<HotKey> hotKey_;
    bool recording_ = false;
    std::uint64_t pressedModifiers_ = 0;
};
