#include "host/x11/X11Pictures.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>

namespace host {

using platform::PixelImage;

namespace {

// The average of the factor×factor block at (left, top). Premultiplied
// colours average correctly as they are.
std::uint32_t blockAverage(const PixelImage& image, int left, int top, int factor) {
    std::uint32_t sums[4] = {};
    for (int y = top; y < top + factor; ++y) {
        for (int x = left; x < left + factor; ++x) {
            std::uint32_t pixel = image.pixels[static_cast<std::size_t>(y) * image.width + x];
            for (int channel = 0; channel < 4; ++channel) {
                sums[channel] += (pixel >> (8 * channel)) & 0xFF;
            }
        }
    }
    auto count = static_cast<std::uint32_t>(factor * factor);
    std::uint32_t average = 0;
    for (int channel = 0; channel < 4; ++channel) {
        average |= ((sums[channel] + count / 2) / count) << (8 * channel);
    }
    return average;
}

// Premultiplied ARGB shown over white, as opaque 0xRRGGBB.
std::uint32_t overWhite(std::uint32_t argb) {
    std::uint32_t uncovered = 255 - (argb >> 24);
    if (!uncovered) return argb & 0xFFFFFF;
    std::uint32_t rgb = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        std::uint32_t channel = std::min<std::uint32_t>(255, ((argb >> shift) & 0xFF) + uncovered);
        rgb |= channel << shift;
    }
    return rgb;
}

// An 8-bit channel placed where the visual's mask says, at the mask's width.
unsigned long maskedChannel(std::uint32_t value, unsigned long mask) {
    if (!mask) return 0;
    int bits = std::popcount(mask);
    unsigned long scaled =
        bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
    return (scaled << std::countr_zero(mask)) & mask;
}

bool holdsNativeRgb(const XImage& image) {
    bool nativeOrder =
        (image.byte_order == LSBFirst) == (std::endian::native == std::endian::little);
    return image.bits_per_pixel == 32 && nativeOrder && image.red_mask == 0xFF0000 &&
           image.green_mask == 0xFF00 && image.blue_mask == 0xFF;
}

}  // namespace

bool isWellFormedPicture(const PixelImage& picture) {
    return picture.width > 0 && picture.height > 0 &&
           picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height;
}

PixelImage reducedPicture(const PixelImage& picture, int factor) {
    PixelImage smaller;
    smaller.width = picture.width / factor;
    smaller.height = picture.height / factor;
    smaller.pixels.reserve(static_cast<std::size_t>(smaller.width) * smaller.height);
    for (int y = 0; y < smaller.height; ++y) {
        for (int x = 0; x < smaller.width; ++x) {
            smaller.pixels.push_back(blockAverage(picture, x * factor, y * factor, factor));
        }
    }
    return smaller;
}

void fillX11Image(XImage& image, const PixelImage& picture) {
    const bool native = holdsNativeRgb(image);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t* source = &picture.pixels[static_cast<std::size_t>(y) * picture.width];
        auto* row = reinterpret_cast<std::uint32_t*>(image.data + y * image.bytes_per_line);
        for (int x = 0; x < picture.width; ++x) {
            std::uint32_t rgb = overWhite(source[x]);
            if (native) {
                row[x] = rgb;
                continue;
            }
            XPutPixel(&image, x, y,
                      maskedChannel(rgb >> 16, image.red_mask) |
                          maskedChannel((rgb >> 8) & 0xFF, image.green_mask) |
                          maskedChannel(rgb & 0xFF, image.blue_mask));
        }
    }
}

}  // namespace host
