#pragma once

// Typed access to the program's stored settings. Each read goes to the store
// and each write is stored at once; malformed values read as their absent
// value and are never rewritten by a read.

#include <optional>
#include <vector>

#include "menubar/StatusIconStyle.h"
#include "platform/PropertyValue.h"
#include "rules/AppRule.h"
#include "shortcuts/HotKey.h"

namespace Preferences {

// The two plain flags, read and written by the application controller.
inline constexpr const char* rightClickToggleEnabledKey = "rightClickToggleEnabled";
inline constexpr const char* didShowSettingsOnFirstLaunchKey = "didShowSettingsOnFirstLaunch";

std::vector<AppRule> appRules();
void setAppRules(const std::vector<AppRule>& rules);

std::vector<AppRef> recentApps();
void setRecentApps(const std::vector<AppRef>& apps);

// The auto-hide value to put back once no rule is in force.
std::optional<bool> stateBeforeRule();
void setStateBeforeRule(std::optional<bool> value);

// Whether anything at all was ever stored for the shortcut. Without it a
// default is chosen; a cleared shortcut is stored, so it stays cleared.
bool hasStoredHotKey();
// The stored shortcut; absent when cleared or unreadable.
std::optional<HotKey> hotKey();
// No shortcut is stored as an empty dictionary.
void setHotKey(const std::optional<HotKey>& hotKey);
// The shortcut's stored object exactly as it is, readable or not, and
// putting such an object back (absent removes the key).
std::optional<platform::PropertyValue> storedHotKeyObject();
void restoreHotKeyObject(const std::optional<platform::PropertyValue>& object);

StatusIconStyle iconStyle();
void setIconStyle(StatusIconStyle style);

}  // namespace Preferences
