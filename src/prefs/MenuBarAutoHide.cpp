#include "prefs/MenuBarAutoHide.h"

#include "platform/Logger.h"
#include "platform/Platform.h"

namespace MenuBarAutoHide {
namespace {

constexpr const char* key = "_HIHideMenuBar";
constexpr const char* domain = platform::PreferenceDomains::globalDomain;

bool write(bool on) {
    auto& platform = platform::current();
    platform.preferences.setValue(domain, key, platform::PropertyValue(on));
    if (!platform.preferences.synchronize(domain)) {
        Log::app().error("Couldn't write the menu bar setting");
        return false;
    }
    platform.distributedNotifications.post(changedNotification, std::nullopt, true);
    return true;
}

}  // namespace

bool isOn() {
    auto value = platform::current().preferences.copyValue(domain, key);
    return value && value->numberAsBool().value_or(false);
}

bool setOn(bool on) { return write(on); }

}  // namespace MenuBarAutoHide
