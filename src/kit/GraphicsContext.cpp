#include "kit/GraphicsContext.h"

#include <cairo.h>

#include <algorithm>
#include <numbers>

#include "kit/Image.h"
#include "kit/TextLayout.h"

namespace kit {
namespace {

constexpr double pi = std::numbers::pi;

cairo_t* cairoOf(void* context) {
    return static_cast<cairo_t*>(context);
}

void setColor(cairo_t* cr, Color color) {
    cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
}

void roundedRectPath(cairo_t* cr, const Rect& rect, double radius) {
    double r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, rect.maxX() - r, rect.minY() + r, r, -pi / 2, 0);
    cairo_arc(cr, rect.maxX() - r, rect.maxY() - r, r, 0, pi / 2);
    cairo_arc(cr, rect.minX() + r, rect.maxY() - r, r, pi / 2, pi);
    cairo_arc(cr, rect.minX() + r, rect.minY() + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void ellipsePath(cairo_t* cr, const Rect& rect) {
    if (rect.isEmpty()) return;
    cairo_save(cr);
    cairo_translate(cr, rect.midX(), rect.midY());
    cairo_scale(cr, rect.width() / 2, rect.height() / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
    cairo_restore(cr);
}

// Outlines lie inside their rect: a 1-point outline of a rect on whole points
// then covers whole pixels instead of straddling them.
Rect strokeBounds(const Rect& rect, double lineWidth) {
    return rect.insetBy(lineWidth / 2, lineWidth / 2);
}

void stroke(cairo_t* cr, Color color, double lineWidth) {
    setColor(cr, color);
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
}

}  // namespace

GraphicsContext::GraphicsContext(Bitmap& bitmap, double scale) : scale_(scale) {
    auto& image = bitmap.image();
    auto* data = reinterpret_cast<unsigned char*>(image.pixels.data());
    auto* surface = cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, image.width,
                                                        image.height, image.width * 4);
    auto* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
    surface_ = surface;
    cairo_ = cr;
}

GraphicsContext::~GraphicsContext() {
    auto* surface = static_cast<cairo_surface_t*>(surface_);
    cairo_destroy(cairoOf(cairo_));
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
}

void GraphicsContext::save() {
    cairo_save(cairoOf(cairo_));
}
void GraphicsContext::restore() {
    cairo_restore(cairoOf(cairo_));
}
void GraphicsContext::translate(double dx, double dy) {
    cairo_translate(cairoOf(cairo_), dx, dy);
}

void GraphicsContext::clip(const Rect& rect) {
    auto* cr = cairoOf(cairo_);
    cairo_rectangle(cr, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_clip(cr);
}

Rect GraphicsContext::clipBounds() const {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    cairo_clip_extents(cairoOf(cairo_), &x0, &y0, &x1, &y1);
    return {x0, y0, x1 - x0, y1 - y0};
}

void GraphicsContext::fillRect(const Rect& rect, Color color) {
    auto* cr = cairoOf(cairo_);
    cairo_rectangle(cr, rect.minX(), rect.minY(), rect.width(), rect.height());
    setColor(cr, color);
    cairo_fill(cr);
}

void GraphicsContext::fillRoundedRect(const Rect& rect, double radius, Color color) {
    auto* cr = cairoOf(cairo_);
    roundedRectPath(cr, rect, radius);
    setColor(cr, color);
    cairo_fill(cr);
}

void GraphicsContext::strokeRoundedRect(const Rect& rect, double radius, Color color,
                                        double lineWidth) {
    auto* cr = cairoOf(cairo_);
    roundedRectPath(cr, strokeBounds(rect, lineWidth), std::max(0.0, radius - lineWidth / 2));
    stroke(cr, color, lineWidth);
}

void GraphicsContext::fillEllipse(const Rect& rect, Color color) {
    auto* cr = cairoOf(cairo_);
    ellipsePath(cr, rect);
    setColor(cr, color);
    cairo_fill(cr);
}

void GraphicsContext::strokeEllipse(const Rect& rect, Color color, double lineWidth) {
    auto* cr = cairoOf(cairo_);
    ellipsePath(cr, strokeBounds(rect, lineWidth));
    stroke(cr, color, lineWidth);
}

void GraphicsContext::strokeLine(Point from, Point to, Color color, double lineWidth) {
    auto* cr = cairoOf(cairo_);
    cairo_move_to(cr, from.x, from.y);
    cairo_line_to(cr, to.x, to.y);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    stroke(cr, color, lineWidth);
}

void GraphicsContext::drawText(const TextLayout& layout, Point origin, Color color) {
    auto* cr = cairoOf(cairo_);
    cairo_move_to(cr, origin.x, origin.y);
    setColor(cr, color);
    layout.drawInNativeContext(cr);
    cairo_new_path(cr);
}

void GraphicsContext::drawImage(const Image& image, const Rect& rect, std::optional<Color> tint) {
    image.draw(*this, rect, tint);
}

}  // namespace kit
