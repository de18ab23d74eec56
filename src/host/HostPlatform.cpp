#include "host/HostPlatform.h"

#include <malloc.h>

#include "host/DBusDistributedNotificationCenter.h"
#include "host/GLibRunLoop.h"
#include "host/HostActivation.h"
#include "host/HostLog.h"
#include "host/HostProcessInfo.h"
#include "host/HostSymbolicHotKeys.h"
#include "host/HostWorkspace.h"
#include "host/PlistPreferenceDomains.h"
#include "host/ProcessToolRunner.h"
#include "host/SessionCopies.h"
#include "host/StatusNotifierBar.h"
#include "host/XdgLoginItems.h"
#include "host/XkbKeyboardLayout.h"
#include "host/x11/X11Connection.h"
#include "host/x11/X11GlobalEventMonitor.h"
#include "host/x11/X11GlobalHotKeys.h"
#include "host/x11/X11PanelShade.h"
#include "host/x11/X11WindowList.h"
#include "host/x11/X11WindowServer.h"

namespace host {

// In dependency order, so each goes before what it uses: the login items
// need the bundle, and everything on the X server needs the connection.
struct HostPlatform::Facilities {
    GLibRunLoop runLoop;
    HostLog log;
    PlistPreferenceDomains preferences{
        PlistPreferenceDomains::defaultFolder(),
        [this](const std::string& line) { logLine(platform::LogLevel::error, line); }};
    DBusDistributedNotificationCenter distributedNotifications;
    X11Connection x11;
    HostWorkspace workspace{x11};
    HostProcessInfo processInfo;
    SessionCopies sessionCopies{processInfo.mainBundle().identifier};
    XdgLoginItems loginItems{XdgLoginItems::defaultConfigFolder(), processInfo.mainBundle()};
    XkbKeyboardLayout keyboardLayout{x11};
    HostActivation activation;
    X11GlobalHotKeys globalHotKeys{x11};
    HostSymbolicHotKeys symbolicHotKeys{preferences};
    ProcessToolRunner toolRunner;
    X11WindowServer windowServer{x11, &activation};
    StatusNotifierBar statusBar;
    // Symbols in the tray are drawn to stand out from the panel they sit on.
    X11PanelShade panelShade{x11, [this](bool dark) { statusBar.setDark(dark); }};
    X11WindowList windowList{x11, [this](const std::string& line) {
        logLine(platform::LogLevel::defaultLevel, line);
    }};
    X11GlobalEventMonitor globalEventMonitor{x11};

    Facilities() { workspace.setSessionCopies(&sessionCopies); }

    // The application's own log lines, for facilities that have something to
    // say; called only once every facility exists.
    void logLine(platform::LogLevel level, const std::string& line) {
        log.write(level, processInfo.mainBundle().identifier, "app", line);
    }

    platform::Platform platform() {
        return {runLoop,     log,           preferences,     distributedNotifications,
                workspace,   loginItems,    keyboardLayout,  processInfo,
                activation,  globalHotKeys, symbolicHotKeys, toolRunner,
                windowServer, statusBar,     windowList,      globalEventMonitor};
    }
};

// Pictures of windows and whole preference files come and go in pieces of a
// megabyte; glibc would otherwise raise its mapping threshold after the first
// is freed and keep the later ones in the heap for good. Fixed, such blocks
// are mapped on their own and go back to the system when freed.
std::unique_ptr<HostPlatform::Facilities> HostPlatform::makeFacilities() {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    return std::make_unique<Facilities>();
}

HostPlatform::HostPlatform() : facilities_(makeFacilities()), platform_(facilities_->platform()) {}

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

X11Connection& HostPlatform::x11() {
    return facilities_->x11;
}

void HostPlatform::setFactorySymbolicHotKeys(
    std::vector<platform::NumberedSymbolicHotKey> factorySet) {
    facilities_->symbolicHotKeys.setFactorySet(std::move(factorySet));
}

}  // namespace host
