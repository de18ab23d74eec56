#pragma once

// The toolkit's pictures as pixels an X server shows: reduced to one pixel
// per point, laid over white (our windows are opaque), and written in the
// channels a visual's masks give.

#include <cstdint>

#include "platform/PixelImage.h"

// Xlib's own declaration, repeated so this header needs no X11 include.
typedef struct _XImage XImage;

namespace host {

// Pixels for every point of the picture's size, none missing.
bool isWellFormedPicture(const platform::PixelImage& picture);

// Each factor×factor block of pixels averaged into one.
platform::PixelImage reducedPicture(const platform::PixelImage& picture, int factor);

// Writes the picture, over white, into an image of its size in the image's
// own pixel format.
void fillX11Image(XImage& image, const platform::PixelImage& picture);

}  // namespace host
