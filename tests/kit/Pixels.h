#pragma once

// Reading drawn bitmaps back in tests: channels of a pixel and where the ink is.

#include <algorithm>
#include <cstdint>

#include "kit/Bitmap.h"
#include "kit/Geometry.h"

namespace pixels {

inline int alpha(std::uint32_t pixel) {
    return int(pixel >> 24);
}
// Premultiplied, as stored.
inline int red(std::uint32_t pixel) {
    return int(pixel >> 16 & 0xff);
}
inline int green(std::uint32_t pixel) {
    return int(pixel >> 8 & 0xff);
}
inline int blue(std::uint32_t pixel) {
    return int(pixel & 0xff);
}

inline int alphaAt(const kit::Bitmap& bitmap, int x, int y) {
    return alpha(bitmap.pixel(x, y));
}

// The smallest rect of device pixels holding every pixel that is not clear;
// empty when nothing was drawn.
inline kit::Rect inkBounds(const kit::Bitmap& bitmap) {
    int minX = bitmap.width(), minY = bitmap.height(), maxX = -1, maxY = -1;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            if (alphaAt(bitmap, x, y) == 0) continue;
            minX = std::min(minX, x);
            minY = std::min(minY, y);
            maxX = std::max(maxX, x);
            maxY = std::max(maxY, y);
        }
    }
    if (maxX < 0) return {};
    return {double(minX), double(minY), double(maxX - minX + 1), double(maxY - minY + 1)};
}

inline int inkedPixelCount(const kit::Bitmap& bitmap) {
    int count = 0;
    for (auto pixel : bitmap.image().pixels) count += alpha(pixel) > 0;
    return count;
}

}  // namespace pixels
