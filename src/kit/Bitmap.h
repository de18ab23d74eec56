#pragma once

// Device pixels to draw into and to save as PNG.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/PixelImage.h"

namespace kit {

class Bitmap {
public:
    // Transparent, `width` × `height` device pixels.
    Bitmap(int width, int height);

    int width() const { return image_.width; }
    int height() const { return image_.height; }
    // Premultiplied ARGB, as platform::PixelImage describes.
    std::uint32_t pixel(int x, int y) const { return image_.pixels[std::size_t(y) * image_.width + x]; }
    const platform::PixelImage& image() const { return image_; }
    platform::PixelImage& image() { return image_; }

    std::vector<std::uint8_t> pngData() const;
    // False when the file cannot be written.
    // False when the file could not be written; `reason` then says why.
    bool writePNG(const std::string& path, std::string* reason = nullptr) const;
    static std::optional<Bitmap> readPNG(const std::string& path);
    // A picture in any format the desktop's image loaders read (PNG, SVG,
    // XPM, ICNS…): in its own pixels when they fit into `pixelSize` ×
    // `pixelSize`, otherwise (and always when scalable) fitted into them.
    // Absent for what cannot be read, and for pictures over 4096 × 4096.
    static std::optional<Bitmap> readImageFile(const std::string& path, int pixelSize);
    static std::optional<Bitmap> fromPNGData(const std::vector<std::uint8_t>& data);

private:
    platform::PixelImage image_;
};

}  // namespace kit
