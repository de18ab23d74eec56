#include "fakes/FakePlatform.h"

#include "shortcuts/KeyCodeName.h"
#include "shortcuts/ServicesShortcuts.h"

namespace fakes {

FakePlatform::FakePlatform()
    : platform{runLoop,      log,           preferences,     notifications,
               workspace,    loginItems,    keyboardLayout,  processInfo,
               activation,   globalHotKeys, symbolicHotKeys, toolRunner,
               windowServer, statusBar,     windowList,      globalEventMonitor} {
    keyboardLayout.useUS();
    platform::install(&platform);
    // The character table outlives a test's layout; each test starts anew.
    KeyCodeName::layoutDidChange();
    ServicesShortcuts::forgetCache();
}

FakePlatform::~FakePlatform() { platform::install(nullptr); }

}  // namespace fakes
