#include "kit/Bitmap.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kit {
namespace {

// A cairo surface over the bitmap's own pixels: PixelImage is laid out
// exactly like CAIRO_FORMAT_ARGB32 with a stride of width × 4.
cairo_surface_t* surfaceOver(const platform::PixelImage& image) {
    auto* data = reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(image.pixels.data()));
    return cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, image.width, image.height,
                                               image.width * 4);
}

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length) {
    auto& out = *static_cast<std::vector<std::uint8_t>*>(closure);
    out.insert(out.end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

struct Reader {
    const std::vector<std::uint8_t>& data;
    std::size_t offset = 0;
};

cairo_status_t readFrom(void* closure, unsigned char* data, unsigned int length) {
    auto& reader = *static_cast<Reader*>(closure);
    if (reader.data.size() - reader.offset < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader.data.data() + reader.offset, length);
    reader.offset += length;
    return CAIRO_STATUS_SUCCESS;
}

// Whatever format cairo chose for the file (with or without alpha), painting
// it onto our pixels converts it to premultiplied ARGB.
std::optional<Bitmap> takeSurface(cairo_surface_t* loaded) {
    if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(loaded);
        return std::nullopt;
    }
    Bitmap bitmap(cairo_image_surface_get_width(loaded), cairo_image_surface_get_height(loaded));
    cairo_surface_t* target = surfaceOver(bitmap.image());
    cairo_t* cr = cairo_create(target);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, loaded, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(target);
    cairo_surface_destroy(target);
    cairo_surface_destroy(loaded);
    return bitmap;
}

constexpr std::int64_t maxImageFilePixels = 4096 * 4096;

// One pixel of a pixbuf (straight RGB or RGBA bytes) as premultiplied ARGB.
std::uint32_t premultiplied(const guchar* rgba, bool hasAlpha) {
    std::uint32_t alpha = hasAlpha ? rgba[3] : 255;
    auto channel = [alpha](guchar value) { return (std::uint32_t(value) * alpha + 127) / 255; };
    return alpha << 24 | channel(rgba[0]) << 16 | channel(rgba[1]) << 8 | channel(rgba[2]);
}

std::optional<Bitmap> takePixbuf(GdkPixbuf* pixbuf) {
    if (!pixbuf) return std::nullopt;
    int channels = gdk_pixbuf_get_n_channels(pixbuf);
    if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || channels < 3) {
        g_object_unref(pixbuf);
        return std::nullopt;
    }
    bool hasAlpha = gdk_pixbuf_get_has_alpha(pixbuf);
    int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* rows = gdk_pixbuf_read_pixels(pixbuf);
    Bitmap bitmap(gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf));
    auto& pixels = bitmap.image().pixels;
    for (int y = 0; y < bitmap.height(); ++y) {
        const guchar* row = rows + std::size_t(y) * stride;
        for (int x = 0; x < bitmap.width(); ++x)
            pixels[std::size_t(y) * bitmap.width() + x] =
                premultiplied(row + x * channels, hasAlpha);
    }
    g_object_unref(pixbuf);
    return bitmap;
}

}  // namespace

Bitmap::Bitmap(int width, int height) {
    image_.width = std::max(0, width);
    image_.height = std::max(0, height);
    image_.pixels.assign(std::size_t(image_.width) * std::size_t(image_.height), 0);
}

std::vector<std::uint8_t> Bitmap::pngData() const {
    std::vector<std::uint8_t> data;
    cairo_surface_t* surface = surfaceOver(image_);
    if (cairo_surface_write_to_png_stream(surface, appendTo, &data) != CAIRO_STATUS_SUCCESS) {
        data.clear();
    }
    cairo_surface_destroy(surface);
    return data;
}

bool Bitmap::writePNG(const std::string& path, std::string* reason) const {
    cairo_surface_t* surface = surfaceOver(image_);
    errno = 0;
    cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    // cairo opens the file itself; the system's reason is the useful one.
    int fileError = errno;
    cairo_surface_destroy(surface);
    if (status == CAIRO_STATUS_SUCCESS) return true;
    if (reason) {
        *reason = status == CAIRO_STATUS_WRITE_ERROR && fileError ? std::strerror(fileError)
                                                                  : cairo_status_to_string(status);
    }
    return false;
}

std::optional<Bitmap> Bitmap::readPNG(const std::string& path) {
    return takeSurface(cairo_image_surface_create_from_png(path.c_str()));
}

std::optional<Bitmap> Bitmap::readImageFile(const std::string& path, int pixelSize) {
    int width = 0;
    int height = 0;
    GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), &width, &height);
    if (!format || pixelSize <= 0) return std::nullopt;
    // A picture is decoded whole before it is scaled: one that claims more
    // pixels than any icon has is refused rather than allocated.
    if (std::int64_t(width) * height > maxImageFilePixels) return std::nullopt;
    bool fits = width > 0 && height > 0 && width <= pixelSize && height <= pixelSize;
    if (fits && !gdk_pixbuf_format_is_scalable(format))
        return takePixbuf(gdk_pixbuf_new_from_file(path.c_str(), nullptr));
    return takePixbuf(
        gdk_pixbuf_new_from_file_at_size(path.c_str(), pixelSize, pixelSize, nullptr));
}

std::optional<Bitmap> Bitmap::fromPNGData(const std::vector<std::uint8_t>& data) {
    Reader reader{data};
    return takeSurface(cairo_image_surface_create_from_png_stream(readFrom, &reader));
}

}  // namespace kit
