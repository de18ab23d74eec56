#include "ui/ShortcutRecorderControl.h"

#include "kit/GraphicsContext.h"
#include "kit/TextLayout.h"
#include "kit/Window.h"
#include "shortcuts/KeyCodeName.h"

namespace {

namespace KeyCode {
constexpr std::uint32_t deleteBackward = 51;
constexpr std::uint32_t deleteForward = 117;
constexpr std::uint32_t escape = 53;
}  // namespace KeyCode

constexpr double idleLineWidth = 1.0;
constexpr double recordingLineWidth = 1.5;

std::uint64_t reduced(std::uint64_t modifierFlags) {
    return modifierFlags & ModifierFlags::mask;
}

bool isDeleteKey(std::uint32_t keyCode) {
    return keyCode == KeyCode::deleteBackward || keyCode == KeyCode::deleteForward;
}

}  // namespace

ShortcutRecorderControl::ShortcutRecorderControl() {
    setAccessibilityRole("button");
    setAccessibilityLabel("Keyboard shortcut");
}

void ShortcutRecorderControl::setHotKey(std::optional<HotKey> hotKey) {
    hotKey_ = std::move(hotKey);
    setNeedsDisplay();
}

void ShortcutRecorderControl::stopRecording() {
    if (!isFirstResponder()) return;
    window()->makeFirstResponder(nullptr);
}

// Focus.

bool ShortcutRecorderControl::becomeFirstResponder() {
    setRecording(true);
    return true;
}

bool ShortcutRecorderControl::resignFirstResponder() {
    setRecording(false);
    return true;
}

void ShortcutRecorderControl::setRecording(bool recording) {
    recording_ = recording;
    pressedModifiers_ = 0;
    setNeedsDisplay();
}

// Events. A click toggles recording and goes no further, enabled or not.

void ShortcutRecorderControl::mouseDown(const kit::Event&) {
    if (!isEnabled()) return;
    auto* owner = window();
    if (!owner) return;
    if (!recording_) {
        owner->makeFirstResponder(this);
        return;
    }
    if (isFirstResponder()) owner->makeFirstResponder(nullptr);
}

void ShortcutRecorderControl::flagsChanged(const kit::Event& event) {
    if (!recording_) return Control::flagsChanged(event);
    pressedModifiers_ = reduced(event.modifierFlags);
    setNeedsDisplay();
}

void ShortcutRecorderControl::keyDown(const kit::Event& event) {
    if (!recording_) return Control::keyDown(event);
    record(event);
}

// Command combinations would reach the menus before keyDown; while
// recording they are shortcuts to record, not commands.
bool ShortcutRecorderControl::performKeyEquivalent(const kit::Event& event) {
    if (!recording_ || event.type != kit::Event::Type::keyDown)
        return Control::performKeyEquivalent(event);
    record(event);
    return true;
}

void ShortcutRecorderControl::record(const kit::Event& event) {
    std::uint64_t modifiers = reduced(event.modifierFlags);
    std::uint32_t keyCode = event.keyCode;
    // Recording ends first, so the owner sees an idle control it may refocus.
    stopRecording();
    if (modifiers == 0 && isDeleteKey(keyCode)) return report(std::nullopt);
    if (modifiers == 0 && keyCode == KeyCode::escape) return;
    report(HotKey{keyCode, modifiers});
}

// The owner may replace this control, and with it onRecord, from inside the
// callback; a copy outlives that.
void ShortcutRecorderControl::report(std::optional<HotKey> hotKey) {
    if (!onRecord) return;
    auto callback = onRecord;
    callback(std::move(hotKey));
}

// Drawing.

std::string ShortcutRecorderControl::displayText() const {
    if (recording_) {
        if (pressedModifiers_ == 0) return "Type shortcut";
        return HotKey{0, pressedModifiers_}.modifierSymbols() + "\u2026";
    }
    if (!hotKey_) return "Click to record";
    return hotKey_->modifierSymbols() + KeyCodeName::name(hotKey_->keyCode);
}

kit::Color ShortcutRecorderControl::displayColor() const {
    if (recording_)
        return pressedModifiers_ == 0 ? kit::Color::placeholderTextColor()
                                      : kit::Color::labelColor();
    if (!hotKey_) return kit::Color::placeholderTextColor();
    return isEnabled() ? kit::Color::labelColor() : kit::Color::disabledControlTextColor();
}

void ShortcutRecorderControl::draw(kit::GraphicsContext& context) {
    drawFrame(context);
    drawText(context);
}

void ShortcutRecorderControl::drawFrame(kit::GraphicsContext& context) const {
    kit::Rect shape = bounds().insetBy(0.5, 0.5);
    context.fillRoundedRect(shape, cornerRadius, kit::Color::controlBackgroundColor());
    double lineWidth = recording_ ? recordingLineWidth : idleLineWidth;
    kit::Color lineColor =
        recording_ ? kit::Color::controlAccentColor() : kit::Color::separatorColor();
    // The context strokes inside its rect; widened by half a line, the
    // stroke is centred on the shape's outline.
    double half = lineWidth / 2;
    context.strokeRoundedRect(shape.insetBy(-half, -half), cornerRadius + half, lineColor,
                              lineWidth);
}

kit::TextLayout ShortcutRecorderControl::textLayout() const {
    return kit::TextLayout(displayText(), kit::Font::systemFont());
}

// Centred in the field; layout asks for the baseline before the first frame.
kit::Point ShortcutRecorderControl::textOrigin(const kit::TextLayout& layout) const {
    kit::Size size = layout.size();
    kit::Rect box = layoutBounds();
    return {(box.width() - size.width) / 2, (box.height() - size.height) / 2};
}

std::optional<double> ShortcutRecorderControl::firstBaselineOffsetFromTop() const {
    kit::TextLayout layout = textLayout();
    return textOrigin(layout).y + layout.firstBaseline();
}

void ShortcutRecorderControl::drawText(kit::GraphicsContext& context) const {
    kit::TextLayout layout = textLayout();
    context.drawText(layout, textOrigin(layout), displayColor());
}
