#include "kit/Control.h"

#include "kit/Application.h"

namespace kit {

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    setNeedsDisplay();
}

void Control::setControlSize(ControlSize size) {
    controlSize_ = size;
    font_ = Font::systemFont(size == ControlSize::small ? Font::smallSystemFontSize : Font::systemFontSize);
    metricsDidChange();
    setNeedsDisplay();
}

void Control::setFont(Font font) {
    font_ = std::move(font);
    metricsDidChange();
    setNeedsDisplay();
}

bool Control::sendAction() {
    if (action_.empty()) return false;
    if (target_) return target_->tryToPerform(action_, this);
    auto* application = Application::existing();
    return application && application->sendAction(action_, nullptr, this);
}

}  // namespace kit
