#include "host/HostPlatform.h"

#include "host/DBusDistributedNotificationCenter.h"
#include "host/GLibRunLoop.h"
#include "host/HostActivation.h"
#include "host/HostLog.h"
#include "host/HostProcessInfo.h"
#include "host/HostWorkspace.h"
#include "host/PlistPreferenceDomains.h"
#include "host/XdgLoginItems.h"
#include "host/XkbKeyboardLayout.h"

namespace host {

// In dependency order: the login items need the bundle.
struct HostPlatform::Facilities {
    GLibRunLoop runLoop;
    HostLog log;
    PlistPreferenceDomains preferences{PlistPreferenceDomains::defaultFolder()};
    DBusDistributedNotificationCenter distributedNotifications;
    HostWorkspace workspace;
    HostProcessInfo processInfo;
    XdgLoginItems loginItems{XdgLoginItems::defaultConfigFolder(), processInfo.mainBundle()};
    XkbKeyboardLayout keyboardLayout;
    HostActivation activation;

    platform::Platform platform() {
        return {runLoop,   log,        preferences,    distributedNotifications,
                workspace, loginItems, keyboardLayout, processInfo,
                activation};
    }
};

HostPlatform::HostPlatform()
    : facilities_(std::make_unique<Facilities>()), platform_(facilities_->platform()) {}

HostPlatform::~HostPlatform() = default;

GLibRunLoop& HostPlatform::runLoop() {
    return facilities_->runLoop;
}

HostProcessInfo& HostPlatform::processInfo() {
    return facilities_->processInfo;
}

DBusDistributedNotificationCenter& HostPlatform::distributedNotifications() {
    return facilities_->distributedNotifications;
}

}  // namespace host
