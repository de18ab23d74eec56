#pragma once

// The Linux host: one of each facility, handed to the program as a
// platform::Platform. The entry point makes one and installs platform().

#include <memory>
#include <vector>

#include "platform/Platform.h"

namespace host {

class GLibRunLoop;
class HostProcessInfo;
class DBusDistributedNotificationCenter;
class X11Connection;

class HostPlatform {
public:
    HostPlatform();
    ~HostPlatform();
    HostPlatform(const HostPlatform&) = delete;
    HostPlatform& operator=(const HostPlatform&) = delete;

    platform::Platform& platform() { return platform_; }

    // The host-only parts the entry point needs beyond the interfaces.
    GLibRunLoop& runLoop();
    HostProcessInfo& processInfo();
    DBusDistributedNotificationCenter& distributedNotifications();
    X11Connection& x11();

    // The system shortcuts a machine has before anyone changes them. They are
    // the modelled desktop's data, which the program's shortcut tables hold.
    void setFactorySymbolicHotKeys(std::vector<platform::NumberedSymbolicHotKey> factorySet);

private:
    // Kept out of this header so the entry point sees no GLib or xkbcommon.
    struct Facilities;
    static std::unique_ptr<Facilities> makeFacilities();
    std::unique_ptr<Facilities> facilities_;
    platform::Platform platform_;
};

}  // namespace host
