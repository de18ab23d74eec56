#pragma once

// A picture as device pixels: what the toolkit renders and the desktop shows.

#include <cstdint>
#include <vector>

namespace platform {

// Premultiplied ARGB, one 32-bit word per pixel in native byte order (alpha
// in the top byte), rows from the top, no padding.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool operator==(const PixelImage&) const = default;
};

}  // namespace platform
