#include "host/tray/IconPixmaps.h"

#include <gio/gio.h>

#include <algorithm>

#include "host/StraightAlpha.h"

namespace host {
namespace {

std::vector<std::uint8_t> networkOrderArgb(const std::vector<std::uint32_t>& pixels) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixels.size() * 4);
    for (auto pixel : pixels) {
        std::uint32_t straight = straightArgb(pixel);
        for (int shift : {24, 16, 8, 0})
            bytes.push_back(static_cast<std::uint8_t>(straight >> shift));
    }
    return bytes;
}

}  // namespace

std::vector<IconPixmap> iconPixmaps(const std::vector<platform::PixelImage>& images) {
    std::vector<IconPixmap> pixmaps;
    for (const auto& image : images) {
        auto area = static_cast<std::size_t>(std::max(image.width, 0)) *
                    static_cast<std::size_t>(std::max(image.height, 0));
        if (area == 0 || image.pixels.size() != area) continue;
        pixmaps.push_back({image.width, image.height, networkOrderArgb(image.pixels)});
    }
    return pixmaps;
}

GVariant* pixmapsVariant(const std::vector<IconPixmap>& pixmaps) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
    for (const auto& pixmap : pixmaps) {
        g_variant_builder_add(&builder, "(ii@ay)", pixmap.width, pixmap.height,
                              g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, pixmap.argb.data(),
                                                        pixmap.argb.size(), 1));
    }
    return g_variant_builder_end(&builder);
}

}  // namespace host
