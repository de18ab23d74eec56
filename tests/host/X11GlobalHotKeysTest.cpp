// Global hot keys against the real X server: keys typed with xdotool, grabs
// held by a second client of the same server as another application would.

#include <glib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "host/VirtualKeyCodes.h"
#include "host/x11/X11GlobalHotKeys.h"
#include "support/Process.h"

// After GoogleTest, whose names Xlib's macros (None, Bool) would replace.
#include <X11/Xlib.h>

namespace {

using platform::HotKeyIdentifier;
using platform::HotKeyRef;
namespace HotKeyStatus = platform::HotKeyStatus;
using Presses = std::vector<HotKeyIdentifier>;

// ⌃⌥⌘M and ⌃⌥⌘N, which no other test grabs.
constexpr std::uint16_t keyM = 46, keyN = 45;
constexpr std::uint32_t controlOptionCommand = 0x1900;
constexpr unsigned xControlAltSuper = ControlMask | Mod1Mask | Mod4Mask;
constexpr unsigned numLock = Mod2Mask;  // on the test server's keyboard map
constexpr HotKeyIdentifier first{0x546e776b, 1}, second{0x546e776b, 2};

std::int32_t status(const platform::GlobalHotKeys::Result<HotKeyRef>& result) {
    auto* refused = std::get_if<std::int32_t>(&result);
    return refused ? *refused : HotKeyStatus::noErr;
}

using support::xdotool;

// Another application on the same server.
class OtherClient {
public:
    bool available() const { return connection_.available(); }

    bool grabM(unsigned modifiers) {
        host::X11ErrorTrap trap(display_);
        XGrabKey(display_, keyCodeM(), modifiers, root(), False, GrabModeAsync, GrabModeAsync);
        return trap.sync() == 0;
    }
    void ungrabM(unsigned modifiers) {
        XUngrabKey(display_, keyCodeM(), modifiers, root());
        XSync(display_, False);
    }
    // How many lock variants of ⌃⌥⌘M nobody holds: grabs each and lets go.
    int freeVariantsOfM() {
        int free = 0;
        for (unsigned locks : {0u, unsigned{LockMask}, numLock, LockMask | numLock}) {
            if (!grabM(xControlAltSuper | locks)) continue;
            ++free;
            ungrabM(xControlAltSuper | locks);
        }
        return free;
    }
    unsigned lockedModifiers() {
        Window rootReturn = 0, child = 0;
        int x = 0, y = 0, windowX = 0, windowY = 0;
        unsigned mask = 0;
        XQueryPointer(display_, root(), &rootReturn, &child, &x, &y, &windowX, &windowY, &mask);
        return mask & (LockMask | numLock);
    }

private:
    static int keyCodeM() { return static_cast<int>(*host::xkbKeyCode(keyM)); }
    Window root() const { return connection_.rootWindow(); }

    host::X11Connection connection_;  // a connection of its own
    Display* display_ = connection_.display();
};

class X11GlobalHotKeysTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        ASSERT_TRUE(connection.available());
        ASSERT_TRUE(other.available());
        // Sees every press and leaves it to later handlers.
        hotKeys.installHandler([this](std::optional<HotKeyIdentifier> identifier) {
            pressed.push_back(identifier.value_or(HotKeyIdentifier{}));
            return HotKeyStatus::eventNotHandledErr;
        });
    }
    void TearDown() override {
        if (!other.available()) return;
        // A failed test must not leave a lock on for the tests that type.
        unsigned locked = other.lockedModifiers();
        if (locked & LockMask) xdotool({"key", "Caps_Lock"});
        if (locked & numLock) xdotool({"key", "Num_Lock"});
    }

    HotKeyRef registerHotKey(std::uint16_t key, HotKeyIdentifier identifier) {
        auto result = hotKeys.registerHotKey(key, controlOptionCommand, identifier);
        EXPECT_EQ(status(result), HotKeyStatus::noErr);
        auto* ref = std::get_if<HotKeyRef>(&result);
        return ref ? *ref : 0;
    }
    // Runs the main loop until `count` presses have arrived or time is up;
    // answers those that came.
    Presses presses(std::size_t count) {
        gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
        while (pressed.size() < count && g_get_monotonic_time() < deadline) {
            if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
        }
        return std::exchange(pressed, {});
    }

    host::X11Connection connection;
    host::X11GlobalHotKeys hotKeys{connection};
    OtherClient other;
    Presses pressed;
};

// Presses are checked in order: a press that should not have arrived would
// come before the one that ends the wait.
TEST_F(X11GlobalHotKeysTest, APressReachesItsOwnRegistrationWhateverLocksAreOn) {
    registerHotKey(keyM, first);
    registerHotKey(keyN, second);
    xdotool({"key", "ctrl+alt+m", "ctrl+alt+super+m", "ctrl+alt+super+n"});
    EXPECT_EQ(presses(2), (Presses{first, second}));

    for (auto [lockKey, lock] :
         {std::pair{"Num_Lock", numLock}, {"Caps_Lock", unsigned{LockMask}}}) {
        xdotool({"key", lockKey});
        EXPECT_EQ(other.lockedModifiers(), lock) << lockKey;
        xdotool({"key", "ctrl+alt+super+m"});
        xdotool({"key", lockKey});
        EXPECT_EQ(presses(1), Presses{first}) << lockKey;
    }
}

TEST_F(X11GlobalHotKeysTest, AHeldCombinationFiresOncePerPress) {
    registerHotKey(keyM, first);
    registerHotKey(keyN, second);
    // Held well past the server's auto-repeat delay.
    xdotool({"keydown", "ctrl+alt+super+m", "sleep", "1.2", "keyup", "ctrl+alt+super+m", "key",
             "ctrl+alt+super+m", "ctrl+alt+super+n"});
    EXPECT_EQ(presses(3), (Presses{first, first, second}));
}

TEST_F(X11GlobalHotKeysTest, ACombinationHeldElsewhereIsRefusedWithoutKeepingAnyOfItsGrabs) {
    ASSERT_TRUE(other.grabM(xControlAltSuper));
    EXPECT_EQ(status(hotKeys.registerHotKey(keyM, controlOptionCommand, first)),
              HotKeyStatus::eventHotKeyExistsErr);
    other.ungrabM(xControlAltSuper);
    EXPECT_EQ(other.freeVariantsOfM(), 4);

    HotKeyRef hotKey = registerHotKey(keyM, first);
    EXPECT_EQ(other.freeVariantsOfM(), 0);
    // Our own registrations are exclusive too, and a refused one leaves the
    // first in place.
    EXPECT_EQ(status(hotKeys.registerHotKey(keyM, controlOptionCommand, second)),
              HotKeyStatus::eventHotKeyExistsErr);
    EXPECT_EQ(other.freeVariantsOfM(), 0);
    hotKeys.unregisterHotKey(hotKey);
    EXPECT_EQ(other.freeVariantsOfM(), 4);
    hotKeys.unregisterHotKey(hotKey);

    // Fn has no key the desktop sees.
    EXPECT_EQ(status(hotKeys.registerHotKey(63, controlOptionCommand, first)),
              host::X11GlobalHotKeys::paramErr);
}

TEST_F(X11GlobalHotKeysTest, HandlersSeeAPressInInstallationOrderUntilOneTakesIt) {
    std::vector<std::string> seen;
    auto taking = hotKeys.installHandler([&](auto) {
        seen.push_back("taking");
        return HotKeyStatus::noErr;
    });
    hotKeys.installHandler([&](auto) {
        seen.push_back("last");
        return HotKeyStatus::noErr;
    });
    HotKeyRef m = registerHotKey(keyM, first);
    registerHotKey(keyN, second);
    xdotool({"key", "ctrl+alt+super+m"});
    EXPECT_EQ(presses(1), Presses{first});
    EXPECT_EQ(seen, std::vector<std::string>{"taking"});

    hotKeys.removeHandler(std::get<platform::HotKeyHandlerRef>(taking));
    hotKeys.unregisterHotKey(m);
    xdotool({"key", "ctrl+alt+super+m", "ctrl+alt+super+n"});
    EXPECT_EQ(presses(1), Presses{second});
    EXPECT_EQ(seen, (std::vector<std::string>{"taking", "last"}));
}

TEST(X11GlobalHotKeys, WithoutADisplayHandlersAreTakenButNothingRegisters) {
    host::X11Connection connection{":4095"};
    ASSERT_FALSE(connection.available());
    host::X11GlobalHotKeys hotKeys{connection};
    auto handler = hotKeys.installHandler([](auto) { return HotKeyStatus::noErr; });
    EXPECT_TRUE(std::holds_alternative<platform::HotKeyHandlerRef>(handler));
    EXPECT_EQ(status(hotKeys.registerHotKey(keyM, controlOptionCommand, first)),
              host::X11GlobalHotKeys::noDisplayErr);
}

}  // namespace
