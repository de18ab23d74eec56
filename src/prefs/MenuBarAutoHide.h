#pragma once

// The desktop's setting that hides the menu bar automatically: a boolean in
// the global preferences domain, shared by every application.

namespace MenuBarAutoHide {

// Announced to every process of the user after each successful write.
inline constexpr const char* changedNotification = "AppleInterfaceMenuBarHidingChangedNotification";

// Read fresh each time; nothing stored, or a value that is not a number,
// reads as off.
bool isOn();
// Stores the value, makes it durable and announces it. A failure is logged
// and not announced; nothing is retried.
// False when the value could not be stored (the failure is logged).
bool setOn(bool on);

}  // namespace MenuBarAutoHide
