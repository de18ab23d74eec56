#pragma once

#include <gtest/gtest.h>

#include "fakes/FakeDesktopServices.h"
#include "fakes/FakeMenuBarServices.h"
#include "fakes/FakeRunLoop.h"
#include "fakes/FakeServices.h"
#include "fakes/FakeShortcutServices.h"
#include "platform/Platform.h"

namespace fakes {

// Every facility faked, installed for the lifetime of the object.
struct FakePlatform {
    FakePlatform();
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeRunLoop runLoop;
    FakeLog log;
    FakePreferenceDomains preferences;
    FakeDistributedNotificationCenter notifications{runLoop};
    FakeWorkspace workspace{runLoop};
    FakeLoginItems loginItems;
    FakeKeyboardLayout keyboardLayout;
    FakeProcessInfo processInfo;
    FakeActivation activation;
    FakeGlobalHotKeys globalHotKeys;
    FakeSymbolicHotKeys symbolicHotKeys;
    FakeToolRunner toolRunner;
    FakeWindowServer windowServer;
    FakeStatusBar statusBar;
    FakeWindowList windowList;
    FakeGlobalEventMonitor globalEventMonitor;
    platform::Platform platform;

    static constexpr const char* appDomain = "app.tarnwick.Tarnwick";
    static constexpr const char* globalDomain = platform::PreferenceDomains::globalDomain;
};

// Base fixture: a fresh fake platform with the US layout for every test.
class PlatformTest : public ::testing::Test {
protected:
    FakePlatform fake;
};

}  // namespace fakes
