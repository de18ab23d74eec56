// Tarnwick's entry point: an accessory application with no Dock icon, whose
// delegate creates everything else once launching has finished.

#include "core/AppDelegate.h"
#include "host/DBusDistributedNotificationCenter.h"
#include "host/HostPlatform.h"
#include "host/panels/MenuBarPanelSync.h"
#include "kit/Application.h"
#include "platform/Logger.h"
#include "prefs/MenuBarAutoHide.h"
#include "shortcuts/SystemShortcuts.h"

namespace {

void logPanelLine(platform::LogLevel level, const std::string& message) {
    switch (level) {
        case platform::LogLevel::defaultLevel:
            return Log::app().notice(message);
        case platform::LogLevel::info:
            return Log::app().info(message);
        case platform::LogLevel::error:
            return Log::app().error(message);
    }
}

}  // namespace

int main() {
    host::HostPlatform host;
    platform::install(&host.platform());
    host.setFactorySymbolicHotKeys(SystemShortcuts::factorySymbolicHotKeys(
        host.platform().processInfo.operatingSystemMajorVersion()));

    // On Linux the desktop's panel along the top is the menu bar; it hides
    // when its own setting says so, which follows ours from here.
    host::MenuBarPanelSync menuBarPanel(
        host.x11(), host.distributedNotifications(),
        {MenuBarAutoHide::isOn, MenuBarAutoHide::setOn, MenuBarAutoHide::changedNotification},
        logPanelLine);

    kit::Application app;
    AppDelegate delegate;
    app.setDelegate(&delegate);
    app.setActivationPolicy(platform::ActivationPolicy::accessory);
    // Before the controller exists, so everything it shows agrees with the panel.
    menuBarPanel.start();
    app.run();
    menuBarPanel.finish();
    return app.exitStatus();
}
