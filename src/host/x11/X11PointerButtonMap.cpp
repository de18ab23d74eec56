#include "host/x11/X11PointerButtonMap.h"

#include <X11/Xlib.h>

namespace host {

namespace {

// The core protocol's limit.
constexpr int mostButtons = 255;

}  // namespace

X11PointerButtonMap::X11PointerButtonMap(X11Connection& connection) : connection_(connection) {
    if (!connection_.available()) return;
    read();
    // Every client hears of a new map, whatever events it asked for.
    listener_ = connection_.addEventListener([this](const XEvent& event) {
        if (event.type == MappingNotify && event.xmapping.request == MappingPointer) read();
    });
}

X11PointerButtonMap::~X11PointerButtonMap() {
    if (listener_) connection_.removeEventListener(listener_);
}

int X11PointerButtonMap::logicalButton(int physicalButton) const {
    if (physicalButton < 1 || physicalButton > static_cast<int>(map_.size())) return physicalButton;
    return map_[physicalButton - 1];
}

void X11PointerButtonMap::read() {
    unsigned char map[mostButtons];
    int count = XGetPointerMapping(connection_.display(), map, mostButtons);
    map_.assign(map, map + (count > 0 ? count : 0));
}

}  // namespace host
