// Tarnwick's entry point: an accessory application with no Dock icon, whose
// delegate creates everything else once launching has finished.

#include "core/AppDelegate.h"
#include "host/HostPlatform.h"
#include "kit/Application.h"
#include "shortcuts/SystemShortcuts.h"

int main() {
    host::HostPlatform host;
    platform::install(&host.platform());
    host.setFactorySymbolicHotKeys(SystemShortcuts::factorySymbolicHotKeys(
        host.platform().processInfo.operatingSystemMajorVersion()));

    kit::Application app;
    AppDelegate delegate;
    app.setDelegate(&delegate);
    app.setActivationPolicy(platform::ActivationPolicy::accessory);
    app.run();
    return 0;
}
