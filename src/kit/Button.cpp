#include "kit/Button.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "kit/GraphicsContext.h"

namespace kit {
namespace {

struct PushMetrics {
    double height;
    double padding;  // either side of the title
    double minimumWidth;
    double cornerRadius;
};
constexpr PushMetrics regularPush{22, 12, 70, 5};
constexpr PushMetrics smallPush{19, 10, 60, 4};

struct CheckboxMetrics {
    double side;
    double gap;  // between the box and the title
    double cornerRadius;
};
constexpr CheckboxMetrics regularCheckbox{14, 6, 3.5};
constexpr CheckboxMetrics smallCheckbox{12, 5, 3};

constexpr double shadowDepth = Button::bezelShadowDepth;
constexpr double borderWidth = 0.5;
constexpr double checkmarkWidth = 1.75;
constexpr double dashHeight = 2;

const PushMetrics& pushMetrics(ControlSize size) {
    return size == ControlSize::small ? smallPush : regularPush;
}

const CheckboxMetrics& checkboxMetrics(ControlSize size) {
    return size == ControlSize::small ? smallCheckbox : regularCheckbox;
}

Color borderColor() {
    return Color::black().withAlpha(0.22);
}
Color shadowColor() {
    return Color::black().withAlpha(0.1);
}
// Laid over a face while it is pressed: white turns grey, accent darker.
Color pressedOverlayColor() {
    return Color::black().withAlpha(0.12);
}

// The context strokes with butt ends, so joints and ends get round caps here.
void strokeRoundPolyline(GraphicsContext& context, std::initializer_list<Point> points, Color color,
                         double width) {
    const Point* previous = nullptr;
    for (const Point& point : points) {
        if (previous) context.strokeLine(*previous, point, color, width);
        context.fillEllipse({point.x - width / 2, point.y - width / 2, width, width}, color);
        previous = &point;
    }
}

const char* accessibilityRoleFor(Button::Type type) {
    if (type == Button::Type::checkbox) return "checkBox";
    if (type == Button::Type::link) return "link";
    return "button";
}

// A raised white face: shadow line, face, thin border.
void drawRaisedFace(GraphicsContext& context, const Rect& face, double radius, Color fill) {
    context.fillRoundedRect(face.offsetBy(0, shadowDepth / 2), radius, shadowColor());
    context.fillRoundedRect(face, radius, fill);
    context.strokeRoundedRect(face, radius, borderColor(), borderWidth);
}

}  // namespace

void Button::drawBezel(GraphicsContext& context, const Rect& face, double cornerRadius,
                       bool pressed) {
    drawRaisedFace(context, face, cornerRadius, Color::controlColor());
    if (pressed) context.fillRoundedRect(face, cornerRadius, pressedOverlayColor());
}

Rect Button::bezelFace(const Rect& bounds, double height) {
    double withShadow = std::min(bounds.height(), height);
    double top = std::round((bounds.height() - withShadow) / 2);
    return {bounds.minX(), bounds.minY() + top, bounds.width(),
            std::max(0.0, withShadow - bezelShadowDepth)};
}

Button::Button(std::string title, Type type) : title_(std::move(title)), type_(type) {
    setAccessibilityRole(accessibilityRoleFor(type_));
    setAccessibilityLabel(title_);
}

void Button::setTitle(std::string title) {
    title_ = std::move(title);
    setAccessibilityLabel(title_);
    setNeedsDisplay();
}

void Button::setState(ControlState state) {
    if (state == ControlState::mixed && !allowsMixedState_) state = ControlState::on;
    if (state == state_) return;
    state_ = state;
    setNeedsDisplay();
}

void Button::setAllowsMixedState(bool allows) {
    allowsMixedState_ = allows;
    if (!allows && state_ == ControlState::mixed) setState(ControlState::on);
}

void Button::setContentTintColor(std::optional<Color> color) {
    contentTintColor_ = color;
    setNeedsDisplay();
}

Color Button::titleColor() const {
    if (!isEnabled()) return Color::disabledControlTextColor();
    if (type_ == Type::checkbox) return Color::labelColor();
    if (type_ == Type::push) return contentTintColor_.value_or(Color::labelColor());
    Color link = contentTintColor_.value_or(Color::linkColor());
    return highlighted_ ? link.withAlpha(link.alpha * 0.6) : link;
}

void Button::performClick() {
    if (type_ == Type::checkbox) {
        setState(state_ == ControlState::on ? ControlState::off : ControlState::on);
    }
    sendAction();
}

// Events.

bool Button::isInside(const Event& event) const {
    return bounds().contains(convertFromWindow(event.locationInWindow));
}

void Button::setHighlighted(bool highlighted) {
    if (highlighted == highlighted_) return;
    highlighted_ = highlighted;
    setNeedsDisplay();
}

// A disabled button swallows the click rather than passing it on.
void Button::mouseDown(const Event& event) {
    if (!isEnabled()) return;
    tracking_ = true;
    setHighlighted(isInside(event));
}

void Button::mouseDragged(const Event& event) {
    if (!tracking_) return;
    setHighlighted(isInside(event));
}

// Letting go outside is how people change their mind.
void Button::mouseUp(const Event& event) {
    if (!tracking_) return;
    tracking_ = false;
    setHighlighted(false);
    if (!isEnabled() || !isInside(event)) return;
    performClick();
}

// Geometry.

Rect Button::checkboxRect() const {
    double side = checkboxMetrics(controlSize()).side;
    return {0, (layoutBounds().height() - side) / 2, side, side};
}

Rect Button::titleRect() const {
    Rect whole = layoutBounds();
    if (type_ == Type::link) return whole;
    if (type_ == Type::checkbox) {
        double leading = checkboxMetrics(controlSize()).side + checkboxMetrics(controlSize()).gap;
        return {leading, 0, std::max(0.0, whole.width() - leading), whole.height()};
    }
    return pushFace().insetBy(pushMetrics(controlSize()).padding, 0);
}

Rect Button::pushFace() const {
    return bezelFace(layoutBounds(), pushMetrics(controlSize()).height);
}

Size Button::titleSize() const {
    return TextLayout(title_, font()).size();
}

TextLayout Button::titleLayout() const {
    TextLayout layout(title_, font());
    Rect room = titleRect();
    if (layout.size().width > room.width()) layout.setTruncationWidth(room.width());
    return layout;
}

Point Button::titleOrigin(const TextLayout& layout) const {
    Rect room = titleRect();
    Size size = layout.size();
    double y = room.minY() + (room.height() - size.height) / 2;
    if (type_ == Type::checkbox) return {room.minX(), y};
    return {room.minX() + (room.width() - size.width) / 2, y};
}

Size Button::intrinsicContentSize() const {
    Size text = titleSize();
    if (type_ == Type::link) return text;
    if (type_ == Type::checkbox) {
        const CheckboxMetrics& metrics = checkboxMetrics(controlSize());
        if (title_.empty()) return {metrics.side, metrics.side};
        return {metrics.side + metrics.gap + text.width, std::max(metrics.side, text.height)};
    }
    const PushMetrics& metrics = pushMetrics(controlSize());
    return {std::max(metrics.minimumWidth, text.width + 2 * metrics.padding), metrics.height};
}

std::optional<double> Button::firstBaselineOffsetFromTop() const {
    TextLayout layout(title_, font());
    return titleOrigin(layout).y + layout.firstBaseline();
}

// Drawing.

void Button::draw(GraphicsContext& context) {
    if (type_ == Type::push) drawPushFace(context);
    if (type_ == Type::checkbox) drawCheckbox(context);
    drawTitle(context);
}

void Button::drawPushFace(GraphicsContext& context) const {
    const PushMetrics& metrics = pushMetrics(controlSize());
    drawBezel(context, pushFace(), metrics.cornerRadius, highlighted_);
}

void Button::drawCheckbox(GraphicsContext& context) const {
    const CheckboxMetrics& metrics = checkboxMetrics(controlSize());
    Rect box = checkboxRect();
    double radius = metrics.cornerRadius;
    if (state_ == ControlState::off) {
        Color face = isEnabled() ? Color::controlColor() : Color::controlColor().withAlpha(0.5);
        drawRaisedFace(context, box, radius, face);
    } else {
        Color accent = Color::controlAccentColor();
        context.fillRoundedRect(box, radius, isEnabled() ? accent : accent.withAlpha(0.45));
    }
    if (highlighted_) context.fillRoundedRect(box, radius, pressedOverlayColor());

    // The marks are drawn for a 14-point box and scaled with it.
    double unit = metrics.side / regularCheckbox.side;
    auto at = [&](double x, double y) {
        return Point{box.minX() + x * unit, box.minY() + y * unit};
    };
    if (state_ == ControlState::on) {
        strokeRoundPolyline(context, {at(3.5, 7.25), at(6, 9.75), at(10.5, 4)}, Color::white(),
                            checkmarkWidth * unit);
    }
    if (state_ == ControlState::mixed) {
        Rect dash{at(3.5, 7 - dashHeight / 2), {7 * unit, dashHeight * unit}};
        context.fillRoundedRect(dash, dash.height() / 2, Color::white());
    }
}

void Button::drawTitle(GraphicsContext& context) const {
    if (title_.empty()) return;
    TextLayout layout = titleLayout();
    context.drawText(layout, titleOrigin(layout), titleColor());
}

}  // namespace kit
