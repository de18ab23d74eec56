#pragma once

// Pictures of the settings window for documentation, taken when an
// environment variable asks for them. The values are read from the
// environment every time.

#include <optional>
#include <string>

class SettingsWindowController;

namespace kit {
class Window;
}

namespace Snapshot {

inline constexpr const char* directoryVariable = "TARNWICK_SNAPSHOT_DIR";
inline constexpr const char* standardMacVariable = "TARNWICK_STANDARD_MAC";

// Where to write the pictures; any value, even empty, asks for them.
std::optional<std::string> directory();

// Behave as on an unconfigured machine: ignore the user's Services and
// Shortcuts-app shortcuts. Snapshots always do; otherwise only when asked
// with exactly "1".
bool depictsStandardMac();

inline constexpr const char* settingsFile = "settings.png";
inline constexpr const char* shortcutFile = "shortcut.png";

// With a directory set: shows the settings window, writes settings.png, tries
// ⌘Space through the window, writes shortcut.png and ends the program, about
// 1.2 seconds in all, with a failing exit status when a picture was not
// written. The stored shortcut is the one from before the run again at the
// end. Without a directory it does nothing. Returns at once.
void run(SettingsWindowController& settings);

// The whole window, title bar included, as a PNG at 2×. Logs the path when
// it was written; otherwise an error line with the path and the reason, and
// answers false.
bool write(kit::Window* window, const std::string& path);

}  // namespace Snapshot
