#include "prefs/MenuBarAutoHide.h"

#include "core/Log.h"
#include "platform/Platform.h"

namespace MenuBarAutoHide {
namespace {

constexpr const char* key = "_HIHideMenuBar";
constexpr const char* domain = platform::PreferenceDomains::globalDomain;

void write(bool on) {
    auto& platform = platform::current();
    platform.preferences.setValue(domain, key, platform::PropertyValue(on));
    if (!platform.preferences.synchronize(domain)) {
        Log::app().error("Couldn't write the menu bar setting");
        return;
    }
    platform.distributedNotifications.post(changedNotification, std::nullopt, true);
}

}  // namespace

bool isOn() {
    auto value = platform::current().preferences.copyValue(domain, key);
    return value && value->numberAsBool().value_or(false);
}

void setOn(bool on) { write(on); }

}  // namespace MenuBarAutoHide
