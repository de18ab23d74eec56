#pragma once

// Which logical button each physical button of the pointer is: a
// left-handed mouse has its first and third buttons swapped (the desktop's
// mouse settings or `xmodmap -e 'pointer = 3 2 1'`). Xlib stays in the .cpp
// (see X11Connection.h).

#include <vector>

#include "host/x11/X11Connection.h"

namespace host {

class X11PointerButtonMap {
public:
    // Reads the map now and again whenever the server says it changed.
    explicit X11PointerButtonMap(X11Connection& connection);
    ~X11PointerButtonMap();
    X11PointerButtonMap(const X11PointerButtonMap&) = delete;
    X11PointerButtonMap& operator=(const X11PointerButtonMap&) = delete;

    // 0 for a button switched off; a button the map does not cover (or any
    // without a display) is itself.
    int logicalButton(int physicalButton) const;

private:
    void read();

    X11Connection& connection_;
    std::vector<unsigned char> map_;  // the logical button of physical button i + 1
    X11Connection::ListenerId listener_ = 0;
};

}  // namespace host
