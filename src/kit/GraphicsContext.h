#pragma once

// Drawing into a bitmap, in points: the context scales to device pixels.
// Views draw through this; none of them sees the drawing library.

#include <optional>

#include "kit/Bitmap.h"
#include "kit/Color.h"
#include "kit/Geometry.h"

namespace kit {

class Image;
class TextLayout;

class GraphicsContext {
public:
    GraphicsContext(Bitmap& bitmap, double scale);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    double scale() const { return scale_; }

    void save();
    void restore();
    void translate(double dx, double dy);
    // Narrows drawing to `rect` until the matching restore().
    void clip(const Rect& rect);
    // What drawing may still reach, in the current coordinates.
    Rect clipBounds() const;

    // Outlines lie inside their rect; lines are centred on their ends, so a
    // 1-point line at half-point coordinates covers whole pixels.
    void fillRect(const Rect& rect, Color color);
    void fillRoundedRect(const Rect& rect, double radius, Color color);
    void strokeRoundedRect(const Rect& rect, double radius, Color color, double lineWidth);
    void fillEllipse(const Rect& rect, Color color);
    void strokeEllipse(const Rect& rect, Color color, double lineWidth);
    void strokeLine(Point from, Point to, Color color, double lineWidth);
    // The layout's top-left corner at `origin`.
    void drawText(const TextLayout& layout, Point origin, Color color);
    void drawImage(const Image& image, const Rect& rect, std::optional<Color> tint = {});

    // The drawing library's context, for the toolkit's own vector drawings.
    void* nativeContext() const { return cairo_; }

private:
    void* cairo_ = nullptr;
    void* surface_ = nullptr;
    double scale_;
};

}  // namespace kit
