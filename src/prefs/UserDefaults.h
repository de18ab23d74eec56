#pragma once

// The application's own preferences domain with typed reads and registered
// defaults. Every read goes to the store; every write is made durable at once.

#include <optional>
#include <string>

#include "platform/PropertyValue.h"

namespace UserDefaults {

// Answers reads of keys that were never stored; kept in memory only.
void registerDefaults(const platform::PropertyDictionary& defaults);

// The stored value, else the registered default, else absent.
std::optional<platform::PropertyValue> object(const std::string& key);
// A stored number's truth; false for anything else or nothing.
bool boolForKey(const std::string& key);
std::optional<platform::PropertyArray> arrayForKey(const std::string& key);
std::optional<platform::PropertyDictionary> dictionaryForKey(const std::string& key);
std::optional<std::string> stringForKey(const std::string& key);

void set(const std::string& key, platform::PropertyValue value);
void setBool(const std::string& key, bool value);
void removeObject(const std::string& key);

}  // namespace UserDefaults
