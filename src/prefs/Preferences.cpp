#include "prefs/Preferences.h"

#include "prefs/UserDefaults.h"

namespace Preferences {
namespace {

constexpr const char* appRulesKey = "appRules";
constexpr const char* recentAppsKey = "recentApps";
constexpr const char* stateBeforeRuleKey = "stateBeforeRule";
constexpr const char* hotKeyKey = "hotKey";
constexpr const char* iconStyleKey = "iconStyle";

}  // namespace

std::vector<AppRule> appRules() { return appRulesFromStored(UserDefaults::object(appRulesKey)); }

void setAppRules(const std::vector<AppRule>& rules) {
    UserDefaults::set(appRulesKey, storedForm(rules));
}

std::vector<AppRef> recentApps() { return appRefsFromStored(UserDefaults::object(recentAppsKey)); }

void setRecentApps(const std::vector<AppRef>& apps) {
    UserDefaults::set(recentAppsKey, storedForm(apps));
}

std::optional<bool> stateBeforeRule() {
    auto value = UserDefaults::object(stateBeforeRuleKey);
    if (!value) return std::nullopt;
    return value->boolean();
}

void setStateBeforeRule(std::optional<bool> value) {
    if (!value) {
        UserDefaults::removeObject(stateBeforeRuleKey);
        return;
    }
    UserDefaults::setBool(stateBeforeRuleKey, *value);
}

bool hasStoredHotKey() { return UserDefaults::object(hotKeyKey).has_value(); }

std::optional<platform::PropertyValue> storedHotKeyObject() {
    return UserDefaults::object(hotKeyKey);
}

void restoreHotKeyObject(const std::optional<platform::PropertyValue>& object) {
    if (!object) return UserDefaults::removeObject(hotKeyKey);
    UserDefaults::set(hotKeyKey, *object);
}

std::optional<HotKey> hotKey() {
    auto dictionary = UserDefaults::dictionaryForKey(hotKeyKey);
    if (!dictionary) return std::nullopt;
    return HotKey::fromDictionary(*dictionary);
}

void setHotKey(const std::optional<HotKey>& hotKey) {
    UserDefaults::set(hotKeyKey, hotKey ? hotKey->dictionary() : platform::PropertyDictionary{});
}

StatusIconStyle iconStyle() {
    auto raw = UserDefaults::stringForKey(iconStyleKey);
    if (!raw) return StatusIconStyle::menuBar;
    return StatusIconStyles::fromRawValue(*raw).value_or(StatusIconStyle::menuBar);
}

void setIconStyle(StatusIconStyle style) {
    UserDefaults::set(iconStyleKey, std::string(StatusIconStyles::rawValue(style)));
}

}  // namespace Preferences
