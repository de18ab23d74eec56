#include "prefs/UserDefaults.h"

#include "platform/Logger.h"
#include "platform/Platform.h"

namespace UserDefaults {
namespace {

const std::string& domain() { return platform::current().processInfo.mainBundle().identifier; }

void store(const std::string& key, std::optional<platform::PropertyValue> value) {
    auto& preferences = platform::current().preferences;
    preferences.setValue(domain(), key, std::move(value));
    // The value stays readable in this process even when it could not be
    // made durable; the failure is worth a line, not an interruption.
    if (!preferences.synchronize(domain())) Log::app().error("Couldn't store the setting " + key);
}

}  // namespace

void registerDefaults(const platform::PropertyDictionary& defaults) {
    platform::current().preferences.registerDefaults(defaults);
}

std::optional<platform::PropertyValue> object(const std::string& key) {
    auto& preferences = platform::current().preferences;
    if (auto value = preferences.copyValue(domain(), key)) return value;
    if (auto* registered = platform::find(preferences.registeredDefaults(), key)) return *registered;
    return std::nullopt;
}

bool boolForKey(const std::string& key) {
    auto value = object(key);
    return value && value->numberAsBool().value_or(false);
}

std::optional<platform::PropertyArray> arrayForKey(const std::string& key) {
    auto value = object(key);
    if (!value || !value->array()) return std::nullopt;
    return *value->array();
}

std::optional<platform::PropertyDictionary> dictionaryForKey(const std::string& key) {
    auto value = object(key);
    if (!value || !value->dictionary()) return std::nullopt;
    return *value->dictionary();
}

std::optional<std::string> stringForKey(const std::string& key) {
    auto value = object(key);
    if (!value || !value->text()) return std::nullopt;
    return *value->text();
}

void set(const std::string& key, platform::PropertyValue value) { store(key, std::move(value)); }

void setBool(const std::string& key, bool value) { store(key, platform::PropertyValue(value)); }

void removeObject(const std::string& key) { store(key, std::nullopt); }

}  // namespace UserDefaults
