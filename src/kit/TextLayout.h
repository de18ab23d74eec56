#pragma once

// A piece of text laid out in one font: measured, wrapped at a width or
// truncated at its tail, ready to draw. Sizes are in points.

#include <memory>
#include <optional>
#include <string>

#include "kit/Font.h"
#include "kit/Geometry.h"

namespace kit {

class TextLayout {
public:
    enum class Alignment { left, center, right };

    TextLayout(std::string text, Font font);
    ~TextLayout();
    TextLayout(const TextLayout& other);
    TextLayout& operator=(const TextLayout& other);
    TextLayout(TextLayout&&) noexcept;
    TextLayout& operator=(TextLayout&&) noexcept;

    const std::string& text() const { return text_; }
    const Font& font() const { return font_; }

    // Wraps at word boundaries to lines no wider than `width`; absent keeps
    // one line per paragraph.
    void setWrapWidth(std::optional<double> width);
    // Keeps one line no wider than `width`, ending in "…" when cut.
    void setTruncationWidth(std::optional<double> width);
    void setAlignment(Alignment alignment);

    // The laid-out size: the widest line and the height of all lines.
    Size size() const;
    // From the top of the layout to the baseline of its first line.
    double firstBaseline() const;
    int lineCount() const;
    bool isTruncated() const;

    // For GraphicsContext: the layout engine's object.
    void* nativeLayout() const;
    // For GraphicsContext: shows the text at the current point of the drawing
    // library's context, laid out again for that context's scale and surface.
    void drawInNativeContext(void* nativeContext) const;

private:
    struct Native;
    void update() const;

    std::string text_;
    Font font_;
    std::optional<double> wrapWidth_;
    std::optional<double> truncationWidth_;
    Alignment alignment_ = Alignment::left;
    mutable std::unique_ptr<Native> native_;
};

}  // namespace kit
