#pragma once

// One copy of the program per user, and the newest one wins: a copy that
// starts asks older copies to quit and waits briefly for them; a copy that
// finds a newer one running quits itself. Every copy keeps listening, so a
// copy started later replaces it in turn.

#include <optional>
#include <string_view>

#include "platform/Workspace.h"

namespace SingleInstance {

// Broadcast to every copy; the object is the decimal process identifier of
// the copy that stays.
inline constexpr const char* quitRequest = "app.tarnwick.Tarnwick.quitRequest";

// How long start-up waits for older copies, and the slices it waits in so
// that notifications keep arriving meanwhile.
inline constexpr double quitTimeout = 3.0;
inline constexpr double waitSlice = 0.05;

// Called once at start-up, before the controller exists. May block for up to
// quitTimeout and may terminate the application. Tells whether this copy
// asked older ones to quit, that is, whether it replaced a running copy.
bool enforce();

// Whether `a` counts as launched before `b`: by launch date when both have
// different ones, otherwise by the smaller process identifier.
bool launchedBefore(const platform::RunningApplication& a, const platform::RunningApplication& b);

// The process identifier a quit request names: optional sign and decimal
// digits only, within 32 bits; anything else is absent.
std::optional<int> parseProcessIdentifier(std::string_view text);

}  // namespace SingleInstance
