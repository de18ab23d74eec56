#pragma once

// The keymap of the X server named by $DISPLAY, set as desktops set it.

#include <string>

// Xlib's display type, so that users need not include Xlib.
typedef struct _XDisplay Display;

namespace support {

// Holds a connection of its own while it lives, since Xvfb forgets a keymap
// when its last client leaves, and puts the US layout back when it goes, for
// the tests that type after it.
class ServerKeymap {
public:
    ServerKeymap();
    ~ServerKeymap();
    ServerKeymap(const ServerKeymap&) = delete;
    ServerKeymap& operator=(const ServerKeymap&) = delete;

    // Layouts as setxkbmap takes them, e.g. "de" or "us,de".
    void setLayouts(const std::string& layouts);

private:
    Display* display_;
};

}  // namespace support
