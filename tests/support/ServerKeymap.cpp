#include "support/ServerKeymap.h"

#include <X11/Xlib.h>

#include "support/Process.h"

namespace support {

ServerKeymap::ServerKeymap() : display_(XOpenDisplay(nullptr)) {}

ServerKeymap::~ServerKeymap() {
    if (!display_) return;
    setLayouts("us");
    XCloseDisplay(display_);
}

void ServerKeymap::setLayouts(const std::string& layouts) {
    run({"setxkbmap", "-layout", layouts});
}

}  // namespace support
