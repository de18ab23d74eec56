#pragma once

// The home folder and the XDG base folders, read from the environment at
// each call rather than once as GLib does, so a changed environment counts.
// Relative paths in the XDG variables are ignored, as the XDG rules say.

#include <string>
#include <vector>

namespace host {

// $HOME, else the user's entry in the password database; empty when neither.
std::string homeFolder();
// $XDG_CONFIG_HOME, else ~/.config; empty without a home.
std::string configHomeFolder();
// $XDG_DATA_HOME, else ~/.local/share; empty without a home.
std::string dataHomeFolder();
// The data home first, then each of $XDG_DATA_DIRS (by default
// /usr/local/share and /usr/share), empty and relative entries left out.
std::vector<std::string> dataFolders();

}  // namespace host
