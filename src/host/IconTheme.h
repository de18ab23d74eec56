#pragma once

// Named icons found as desktops find them (the freedesktop icon theme
// layout): in the user's icon theme, the themes it inherits, hicolor, then
// the old pixmaps folder. The user's theme is the one named for Qt desktops
// (LXQt's lxqt.conf) or GTK (gtk-3.0/settings.ini); without either, GTK's
// own default. Themes are read from ~/.icons and each XDG data folder's
// icons/, each theme's index.theme once per run.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace host {

// A PNG (checked by its signature), or an SVG, XPM or ICNS file: the formats
// icons come in that the toolkit reads; none over 8 MB.
bool isIconFile(const std::filesystem::path& path);

// The icon themes to search, in order: the user's, what it inherits (as
// each index.theme says), then hicolor.
std::vector<std::string> iconThemeChain();

// The file of the first of `names` found, in the size nearest `size` pixels.
// Names with a "/" are never looked up.
std::optional<std::string> themedIconFile(const std::vector<std::string>& names, int size);

}  // namespace host
