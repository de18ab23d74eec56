#pragma once

namespace host {

// A rectangle in root window coordinates: top-left origin, y down.
struct RootRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const RootRect&) const = default;
};

}  // namespace host
