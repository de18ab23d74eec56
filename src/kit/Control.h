#pragma once

// A view people operate: it sends its action to a target (or along the
// responder chain) and can be disabled.

#include "kit/Font.h"
#include "kit/View.h"

namespace kit {

enum class ControlSize { regular, small };

class Control : public View {
public:
    using View::View;

    Responder* target() const { return target_; }
    void setTarget(Responder* target) { target_ = target; }
    const Action& action() const { return action_; }
    void setAction(Action action) { action_ = std::move(action); }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    ControlSize controlSize() const { return controlSize_; }
    void setControlSize(ControlSize size);
    // The font of the control's text; follows the control size until set.
    const Font& font() const { return font_; }
    void setFont(Font font);

    // Sends the action to the target, or along the responder chain from the
    // key window. True when someone performed it.
    bool sendAction();

protected:
    // Size or font changed: text controls measure again.
    virtual void metricsDidChange() {}

private:
    Responder* target_ = nullptr;
    Action action_;
    bool enabled_ = true;
    ControlSize controlSize_ = ControlSize::regular;
    Font font_ = Font::systemFont();
};

}  // namespace kit
