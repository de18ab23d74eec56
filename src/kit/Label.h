#pragma once

// Text that explains something: one line (clipped or truncated at its tail)
// or wrapped at a preferred width. Not selectable, not editable, never
// focused.

#include <optional>
#include <string>

#include "kit/Color.h"
#include "kit/Control.h"
#include "kit/TextLayout.h"

namespace kit {

class Label : public Control {
public:
    using Alignment = TextLayout::Alignment;

    explicit Label(std::string text = "");

    const std::string& text() const { return text_; }
    void setText(std::string text);
    Color textColor() const { return textColor_; }
    void setTextColor(Color color);
    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment alignment);

    // One line; a frame narrower than the text shows it cut with "…".
    void setLineBreakTruncatingTail();
    bool truncatesTail() const { return truncatesTail_; }
    // Wraps at this width to as many lines as it takes; absent keeps one line.
    void setPreferredMaxLayoutWidth(std::optional<double> width);
    const std::optional<double>& preferredMaxLayoutWidth() const {
        return preferredMaxLayoutWidth_;
    }
    bool wraps() const { return preferredMaxLayoutWidth_.has_value(); }
    // Keeps at least this much room below the top, where the text starts.
    void setMinimumHeight(double height);
    double minimumHeight() const { return minimumHeight_; }

    // The layout as it is drawn in the current frame.
    TextLayout layoutInBounds() const;

    void draw(GraphicsContext& context) override;
    Size intrinsicContentSize() const override;
    std::optional<double> firstBaselineOffsetFromTop() const override;

private:
    TextLayout measuringLayout() const;
    double horizontalOffset(const TextLayout& layout) const;

    std::string text_;
    Color textColor_ = Color::labelColor();
    Alignment alignment_ = Alignment::left;
    bool truncatesTail_ = false;
    std::optional<double> preferredMaxLayoutWidth_;
    double minimumHeight_ = 0;
};

}  // namespace kit
