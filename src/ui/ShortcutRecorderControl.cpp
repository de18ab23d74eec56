#include "ui/ShortcutRecorderControl.h"

ShortcutRecorderControl::ShortcutRecorderControl() = default;

void ShortcutRecorderControl::setHotKey(std::optional<HotKey> hotKey) {
    hotKey_ = std::move(hotKey);
    setNeedsDisplay();
}

void ShortcutRecorderControl::stopRecording() {}
