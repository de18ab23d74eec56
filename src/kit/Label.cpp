#include "kit/Label.h"

#include <algorithm>

#include "kit/GraphicsContext.h"

namespace kit {

Label::Label(std::string text) : text_(std::move(text)) {
    setAccessibilityRole("staticText");
    setAccessibilityLabel(text_);
}

void Label::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    setAccessibilityLabel(text_);
    setNeedsDisplay();
}

void Label::setTextColor(Color color) {
    textColor_ = color;
    setNeedsDisplay();
}

void Label::setAlignment(Alignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void Label::setLineBreakTruncatingTail() {
    truncatesTail_ = true;
    setNeedsDisplay();
}

void Label::setPreferredMaxLayoutWidth(std::optional<double> width) {
    preferredMaxLayoutWidth_ = width;
    setNeedsDisplay();
}

void Label::setMinimumHeight(double height) {
    minimumHeight_ = std::max(0.0, height);
    setNeedsDisplay();
}

TextLayout Label::measuringLayout() const {
    TextLayout layout(text_, font());
    if (preferredMaxLayoutWidth_) layout.setWrapWidth(*preferredMaxLayoutWidth_);
    return layout;
}

TextLayout Label::layoutInBounds() const {
    TextLayout layout(text_, font());
    if (wraps()) {
        // Lines line up with each other inside the frame's width.
        layout.setWrapWidth(bounds().width());
        layout.setAlignment(alignment_);
        return layout;
    }
    if (truncatesTail_) layout.setTruncationWidth(bounds().width());
    return layout;
}

// A wrapped layout aligns its own lines; one line is placed here.
double Label::horizontalOffset(const TextLayout& layout) const {
    if (wraps()) return 0;
    double room = bounds().width() - layout.size().width;
    if (room <= 0) return 0;
    if (alignment_ == Alignment::center) return room / 2;
    if (alignment_ == Alignment::right) return room;
    return 0;
}

void Label::draw(GraphicsContext& context) {
    if (text_.empty()) return;
    TextLayout layout = layoutInBounds();
    Color color = !isEnabled() ? Color::disabledControlTextColor()
                  : backgroundStyle() == BackgroundStyle::emphasized ? Color::white()
                                                                     : textColor_;
    context.drawText(layout, {horizontalOffset(layout), 0}, color);
}

// Empty text still measures one line, so a status line keeps its place.
Size Label::intrinsicContentSize() const {
    Size size = measuringLayout().size();
    return {size.width, std::max(size.height, minimumHeight_)};
}

std::optional<double> Label::firstBaselineOffsetFromTop() const {
    return measuringLayout().firstBaseline();
}

}  // namespace kit
