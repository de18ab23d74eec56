#pragma once

// The status item's icon as StatusNotifierItem carries it: each size a
// pixmap of ARGB32 in network byte order with straight alpha, where our
// pictures are premultiplied native-order pixels.

#include <cstdint>
#include <vector>

#include "platform/PixelImage.h"

// GLib's own declaration, repeated so this header needs no GLib include.
typedef struct _GVariant GVariant;

namespace host {

struct IconPixmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> argb;  // network byte order, not premultiplied
    bool operator==(const IconPixmap&) const = default;
};

// An image whose pixels do not fill its size, or that has none, is left out.
std::vector<IconPixmap> iconPixmaps(const std::vector<platform::PixelImage>& images);

// As the a(iiay) of IconPixmap and its kin.
GVariant* pixmapsVariant(const std::vector<IconPixmap>& pixmaps);

}  // namespace host
