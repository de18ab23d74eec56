#include "kit/Image.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "kit/GraphicsContext.h"
#include "kit/Symbols.h"
#include "platform/Platform.h"

namespace kit {
namespace {

constexpr Size defaultSymbolSize{16, 16};
constexpr Size defaultIconSize{32, 32};
// The icon is drawn once, large enough to stay sharp at 64 points on a 2×
// screen, and scaled down from there.
constexpr double iconRenderScale = 4;

void drawSymbol(cairo_t* cr, const std::string& name, const Rect& rect, Color tint) {
    // Symbols keep their proportions, centred in a rect of another shape.
    double side = std::min(rect.width(), rect.height());
    cairo_translate(cr, rect.midX() - side / 2, rect.midY() - side / 2);
    cairo_scale(cr, side / symbols::designSize, side / symbols::designSize);
    // The clip keeps the group below as small as the symbol.
    cairo_rectangle(cr, 0, 0, symbols::designSize, symbols::designSize);
    cairo_clip(cr);
    // Drawn opaque and faded as a whole, so crossing strokes of a translucent
    // tint do not show darker where they overlap.
    cairo_push_group(cr);
    cairo_set_source_rgb(cr, tint.red, tint.green, tint.blue);
    symbols::draw(cr, name);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, tint.alpha);
}

void drawBitmap(cairo_t* cr, const Bitmap& bitmap, const Rect& rect) {
    if (bitmap.width() == 0 || bitmap.height() == 0) return;
    const auto& pixels = bitmap.image().pixels;
    auto* data = reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(pixels.data()));
    cairo_surface_t* source = cairo_image_surface_create_for_data(
        data, CAIRO_FORMAT_ARGB32, bitmap.width(), bitmap.height(), bitmap.width() * 4);
    cairo_translate(cr, rect.minX(), rect.minY());
    cairo_scale(cr, rect.width() / bitmap.width(), rect.height() / bitmap.height());
    cairo_set_source_surface(cr, source, 0, 0);
    // Padding keeps the edges solid when scaled; filling only the bitmap's
    // own rectangle keeps the padding from spilling out.
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_rectangle(cr, 0, 0, bitmap.width(), bitmap.height());
    cairo_fill(cr);
    cairo_surface_destroy(source);
}

int devicePixels(double points, double scale) {
    // A hair below whole numbers still counts as whole: 16 × 1.1 is not 18 pixels.
    return std::max(0, int(std::ceil(points * scale - 1e-6)));
}

std::shared_ptr<const Bitmap> renderGenericApplicationIcon() {
    double scale = iconRenderScale * defaultIconSize.width / symbols::iconDesignSize;
    auto bitmap = std::make_shared<Bitmap>(devicePixels(defaultIconSize.width, iconRenderScale),
                                           devicePixels(defaultIconSize.height, iconRenderScale));
    {
        GraphicsContext context(*bitmap, scale);
        symbols::drawGenericApplicationIcon(static_cast<cairo_t*>(context.nativeContext()));
    }
    return bitmap;
}

}  // namespace

std::optional<Image> Image::symbol(std::string_view name, std::string accessibilityDescription) {
    if (!symbols::exists(name)) return std::nullopt;
    Image image;
    image.symbolName_ = std::string(name);
    image.description_ = std::move(accessibilityDescription);
    image.size_ = defaultSymbolSize;
    return image;
}

Image Image::genericApplicationIcon() {
    static const std::shared_ptr<const Bitmap> bitmap = renderGenericApplicationIcon();
    Image image;
    image.bitmap_ = bitmap;
    image.size_ = defaultIconSize;
    return image;
}

std::optional<Image> Image::applicationIcon(const std::string& applicationPath) {
    // Icons without a pixel size of their own (SVG) are rendered at 64
    // pixels: lists show them far smaller, even at twice the density.
    static constexpr int scalablePixels = 64;
    auto file = platform::current().workspace.applicationIconFile(applicationPath);
    if (!file) return std::nullopt;
    return fromFile(*file, scalablePixels);
}

Image Image::fromBitmap(Bitmap bitmap, Size size) {
    Image image;
    image.bitmap_ = std::make_shared<const Bitmap>(std::move(bitmap));
    image.size_ = size;
    return image;
}

std::optional<Image> Image::fromFile(const std::string& path, int scalablePixels) {
    auto bitmap = Bitmap::readImageFile(path, scalablePixels);
    if (!bitmap) return std::nullopt;
    Size size{double(bitmap->width()), double(bitmap->height())};
    return fromBitmap(std::move(*bitmap), size);
}

void Image::draw(GraphicsContext& context, const Rect& rect, std::optional<Color> tint) const {
    if (rect.isEmpty()) return;
    auto* cr = static_cast<cairo_t*>(context.nativeContext());
    cairo_save(cr);
    if (bitmap_)
        drawBitmap(cr, *bitmap_, rect);
    else
        drawSymbol(cr, symbolName_, rect, tint.value_or(Color::labelColor()));
    cairo_restore(cr);
}

Bitmap Image::render(double scale, std::optional<Color> tint) const {
    Bitmap bitmap(devicePixels(size_.width, scale), devicePixels(size_.height, scale));
    {
        GraphicsContext context(bitmap, scale);
        draw(context, {0, 0, size_.width, size_.height}, tint);
    }
    return bitmap;
}

bool Image::operator==(const Image& other) const {
    return symbolName_ == other.symbolName_ && description_ == other.description_ &&
           size_ == other.size_ && bitmap_ == other.bitmap_;
}

}  // namespace kit
