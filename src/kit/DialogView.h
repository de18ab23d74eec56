#pragma once

// The content of an alert or a panel: its controls send their actions here,
// and the keys nobody else takes end up here, where Return presses the
// default button and Escape (or ⌘.) the cancel button.

#include <functional>

#include "kit/View.h"

namespace kit {

class Button;
class Control;

class DialogView : public View {
public:
    // The action of every control that reports to the dialog.
    static constexpr const char* controlAction = "dialogControlAction:";

    // Hears every control that reported, with the control.
    void setActionHandler(std::function<void(Control&)> handler) { handler_ = std::move(handler); }
    // Makes `control` report to this dialog.
    void connect(Control& control);

    Button* defaultButton() const { return defaultButton_; }
    void setDefaultButton(Button* button) { defaultButton_ = button; }
    Button* cancelButton() const { return cancelButton_; }
    void setCancelButton(Button* button) { cancelButton_ = button; }

    // Focused when nothing inside wants the keys, without a ring.
    bool acceptsFirstResponder() const override { return true; }
    void keyDown(const Event& event) override;
    bool performKeyEquivalent(const Event& event) override;
    bool tryToPerform(const Action& action, Responder* sender) override;

private:
    Button* buttonForKey(const Event& event) const;
    static bool press(Button* button);

    std::function<void(Control&)> handler_;
    Button* defaultButton_ = nullptr;
    Button* cancelButton_ = nullptr;
};

}  // namespace kit
