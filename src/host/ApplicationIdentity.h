#pragma once

// Who an application is, as the desktop names it: the bundle around its
// executable, or else the desktop entry that starts it.

#include <optional>
#include <string>
#include <vector>

namespace host {

struct ApplicationIdentity {
    std::string bundleIdentifier;  // the bundle's, or the desktop entry's ID without ".desktop"
    std::string name;              // CFBundleName, or the entry's Name
    std::optional<std::string> bundlePath;  // the .app folder, or the desktop entry's file
    bool operator==(const ApplicationIdentity&) const = default;
};

// The bundle when the executable lies in `X.app/Contents/MacOS/` next to a
// readable Info.plist; absent otherwise.
std::optional<ApplicationIdentity> bundleIdentity(const std::string& executablePath);

// The desktop entry whose StartupWMClass is one of the window's class names,
// else whose ID is one of them, else whose command is the executable's name;
// case does not count, as window managers match classes that way. Empty
// arguments are skipped.
std::optional<ApplicationIdentity> desktopEntryIdentity(const std::string& windowClass,
                                                        const std::string& windowInstance,
                                                        const std::string& executablePath);

// The desktop entry `<id>.desktop`, absent when none is installed.
std::optional<ApplicationIdentity> desktopEntryWithIdentifier(const std::string& identifier);

// The desktop entry in the file at `path`, identified by its desktop file id
// (its path below a data folder's applications/, "/" read as "-"; outside
// those folders, its file name); absent when the file is no valid entry.
std::optional<ApplicationIdentity> desktopEntryAt(const std::string& path);

// Where the program of the desktop entry `<id>.desktop` lies: its executable
// found in PATH, else the entry file itself.
std::optional<std::string> desktopEntryPath(const std::string& identifier);

// What a desktop entry's Icon= names: an image file, or icon names to look
// up in the icon theme, best first.
struct DesktopEntryIcon {
    std::optional<std::string> file;
    std::vector<std::string> themedNames;
    bool operator==(const DesktopEntryIcon&) const = default;
};

// The icon of the desktop entry behind `applicationPath`, which is the entry
// file itself or the program an entry starts (as desktopEntryPath answers);
// absent when no entry matches or it names no icon.
std::optional<DesktopEntryIcon> desktopEntryIcon(const std::string& applicationPath);

}  // namespace host
