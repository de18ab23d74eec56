#pragma once

// The kit's own vector drawings: the symbols the program shows and the
// generic application icon. Internal to the kit; Image is their public face.

#include <cairo.h>

#include <string_view>

namespace kit::symbols {

// Symbols are designed in a square of this many units; callers scale it.
constexpr double designSize = 16;
// The application icon's square.
constexpr double iconDesignSize = 32;

bool exists(std::string_view name);
// Draws `name` with the current source into the design square at the
// origin; false for a name we have no drawing for.
bool draw(cairo_t* cr, std::string_view name);
// In its own colours, into the icon square at the origin.
void drawGenericApplicationIcon(cairo_t* cr);

}  // namespace kit::symbols
