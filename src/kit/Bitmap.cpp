#include "kit/Bitmap.h"

#include <cairo.h>

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

std::optional<Bitmap> Bitmap::fromPNGData(const std::vector<std::uint8_t>& data) {
    Reader reader{data};
    return takeSurface(cairo_image_surface_create_from_png_stream(readFrom, &reader));
}

}  // namespace kit
