#pragma once

// Everything the program reaches of the operating system, one reference per
// facility. The entry point installs the host's; tests install fakes.

#include "platform/Activation.h"
#include "platform/DistributedNotifications.h"
#include "platform/GlobalEventMonitor.h"
#include "platform/GlobalHotKeys.h"
#include "platform/KeyboardLayout.h"
#include "platform/Log.h"
#include "platform/LoginItems.h"
#include "platform/PreferenceDomains.h"
#include "platform/ProcessInfo.h"
#include "platform/RunLoop.h"
#include "platform/StatusBar.h"
#include "platform/SymbolicHotKeys.h"
#include "platform/ToolRunner.h"
#include "platform/WindowList.h"
#include "platform/WindowServer.h"
#include "platform/Workspace.h"

namespace platform {

struct Platform {
    RunLoop& runLoop;
    Log& log;
    PreferenceDomains& preferences;
    DistributedNotificationCenter& distributedNotifications;
    Workspace& workspace;
    LoginItems& loginItems;
    KeyboardLayout& keyboardLayout;
    ProcessInfo& processInfo;
    Activation& activation;
    GlobalHotKeys& globalHotKeys;
    SymbolicHotKeys& symbolicHotKeys;
    ToolRunner& toolRunner;
    WindowServer& windowServer;
    StatusBar& statusBar;
    WindowList& windowList;
    GlobalEventMonitor& globalEventMonitor;
};

// The installed platform. Using it before install() is a programming error.
Platform& current();
void install(Platform* platform);

}  // namespace platform
