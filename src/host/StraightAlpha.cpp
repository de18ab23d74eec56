#include "host/StraightAlpha.h"

#include <algorithm>

namespace host {

std::uint32_t straightArgb(std::uint32_t premultiplied) {
    std::uint32_t alpha = premultiplied >> 24;
    if (alpha == 0) return 0;
    std::uint32_t straight = alpha << 24;
    for (int shift : {16, 8, 0}) {
        std::uint32_t channel = (premultiplied >> shift) & 0xff;
        straight |= std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha) << shift;
    }
    return straight;
}

}  // namespace host
