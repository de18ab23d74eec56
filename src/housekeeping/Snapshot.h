#pragma once

// Pictures of the settings window for documentation, taken when an
// environment variable asks for them. The values are read from the
// environment every time.

#include <optional>
#include <string>

namespace Snapshot {

inline constexpr const char* directoryVariable = "TARNWICK_SNAPSHOT_DIR";
inline constexpr const char* standardMacVariable = "TARNWICK_STANDARD_MAC";

// Where to write the pictures; any value, even empty, asks for them.
std::optional<std::string> directory();

// Behave as on an unconfigured machine: ignore the user's Services and
// Shortcuts-app shortcuts. Snapshots always do; otherwise only when asked
// with exactly "1".
bool depictsStandardMac();

}  // namespace Snapshot
