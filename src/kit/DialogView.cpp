#include "kit/DialogView.h"

#include <cstdint>

#include "kit/Button.h"

namespace kit {
namespace {

namespace KeyCode {
constexpr std::uint16_t returnKey = 36;
constexpr std::uint16_t keypadEnter = 76;
constexpr std::uint16_t escape = 53;
}  // namespace KeyCode

}  // namespace

void DialogView::connect(Control& control) {
    control.setTarget(this);
    control.setAction(controlAction);
}

void DialogView::keyDown(const Event& event) {
    if (press(buttonForKey(event))) return;
    View::keyDown(event);
}

Button* DialogView::buttonForKey(const Event& event) const {
    if (event.deviceIndependentModifiers() != 0) return nullptr;
    if (event.keyCode == KeyCode::returnKey || event.keyCode == KeyCode::keypadEnter) {
        return defaultButton_;
    }
    if (event.keyCode == KeyCode::escape) return cancelButton_;
    return nullptr;
}

bool DialogView::performKeyEquivalent(const Event& event) {
    bool commandPeriod = event.deviceIndependentModifiers() == platform::ModifierFlags::command &&
                         event.charactersIgnoringModifiers == ".";
    if (commandPeriod && press(cancelButton_)) return true;
    return View::performKeyEquivalent(event);
}

bool DialogView::tryToPerform(const Action& action, Responder* sender) {
    auto* control = dynamic_cast<Control*>(sender);
    if (action != controlAction || !control) return View::tryToPerform(action, sender);
    if (handler_) handler_(*control);
    return true;
}

// A key stands for a click, so a button that cannot be clicked ignores it.
bool DialogView::press(Button* button) {
    if (!button || !button->isEnabled() || button->isHiddenOrHasHiddenAncestor()) return false;
    button->performClick();
    return true;
}

}  // namespace kit
