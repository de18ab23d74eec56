#pragma once

// A button: a rounded push button, a checkbox with its title, or a
// borderless link. A click that ends inside the button sends the action; a
// checkbox changes its state first.

#include <optional>
#include <string>

#include "kit/Color.h"
#include "kit/Control.h"
#include "kit/ControlState.h"
#include "kit/TextLayout.h"

namespace kit {

class Button : public Control {
public:
    enum class Type { push, checkbox, link };

    // The raised white face push buttons, pop-ups and segmented controls
    // share: a shadow line below it, the face, a thin border; greyer while
    // pressed. The shadow takes this much below the face.
    static constexpr double bezelShadowDepth = 1;
    // The face of a bezel `height` points high with its shadow, centred in
    // `bounds`: a taller frame does not make a taller button.
    static Rect bezelFace(const Rect& bounds, double height);
    static void drawBezel(GraphicsContext& context, const Rect& face, double cornerRadius,
                          bool pressed);

    explicit Button(std::string title = "", Type type = Type::push);

    Type type() const { return type_; }
    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    // Mixed needs allowsMixedState; without it, asking for mixed means on.
    ControlState state() const { return state_; }
    void setState(ControlState state);
    bool allowsMixedState() const { return allowsMixedState_; }
    void setAllowsMixedState(bool allows);

    // The title's colour for push buttons and links; links without one use
    // the link colour.
    const std::optional<Color>& contentTintColor() const { return contentTintColor_; }
    void setContentTintColor(std::optional<Color> color);
    // What the title is drawn in right now, disabled or not.
    Color titleColor() const;

    // Pressed and the pointer still over it.
    bool isHighlighted() const { return highlighted_; }
    // What a finished click does: a checkbox moves on (off → on → off, and
    // mixed → on), then the action goes out.
    void performClick();

    // The checkbox's square, in the button's bounds.
    Rect checkboxRect() const;

    void draw(GraphicsContext& context) override;
    Size intrinsicContentSize() const override;
    std::optional<double> firstBaselineOffsetFromTop() const override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    Rect pushFace() const;
    // Room for the title in the current frame, and the title laid out in it.
    Rect titleRect() const;
    TextLayout titleLayout() const;
    Point titleOrigin(const TextLayout& layout) const;
    Size titleSize() const;
    bool isInside(const Event& event) const;
    void setHighlighted(bool highlighted);

    void drawPushFace(GraphicsContext& context) const;
    void drawCheckbox(GraphicsContext& context) const;
    void drawTitle(GraphicsContext& context) const;

    std::string title_;
    Type type_;
    ControlState state_ = ControlState::off;
    bool allowsMixedState_ = false;
    std::optional<Color> contentTintColor_;
    bool tracking_ = false;
    bool highlighted_ = false;
};

}  // namespace kit
