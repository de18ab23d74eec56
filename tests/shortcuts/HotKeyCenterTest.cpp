#include "shortcuts/HotKeyCenter.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace {

using platform::HotKeyIdentifier;
namespace Status = platform::HotKeyStatus;

constexpr HotKey controlOptionCommandM{46, 0x1C0000};  // Carbon 0x1900
constexpr HotKey commandK{40, 0x100000};                // Carbon 0x100

class HotKeyCenterTest : public fakes::PlatformTest {
protected:
    int presses = 0;
};

TEST_F(HotKeyCenterTest, PressesOfTheRegisteredShortcutCallTheAction) {
    HotKeyCenter center([this] { ++presses; });
    ASSERT_EQ(center.registerHotKey(controlOptionCommandM), std::nullopt);
    EXPECT_EQ(center.current(), controlOptionCommandM);
    ASSERT_EQ(fake.globalHotKeys.registrations.size(), 1u);
    EXPECT_EQ(fake.globalHotKeys.registrations.begin()->second.identifier,
              (HotKeyIdentifier{0x5472576B, 1}));

    EXPECT_TRUE(fake.globalHotKeys.press(46, 0x1900));
    EXPECT_FALSE(fake.globalHotKeys.press(40, 0x100));
    EXPECT_EQ(presses, 1);
}

TEST_F(HotKeyCenterTest, EventsOfOtherRegistrationsAreLeftToOtherHandlers) {
    HotKeyCenter center([this] { ++presses; });
    EXPECT_EQ(fake.globalHotKeys.dispatch(HotKeyIdentifier{0x5472576B, 2}), Status::eventNotHandledErr);
    EXPECT_EQ(fake.globalHotKeys.dispatch(HotKeyIdentifier{0x41424344, 1}), Status::eventNotHandledErr);
    EXPECT_EQ(fake.globalHotKeys.dispatch(std::nullopt), Status::eventNotHandledErr);
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(fake.globalHotKeys.dispatch(HotKeyCenter::identifier), Status::noErr);
    EXPECT_EQ(presses, 1);
}

TEST_F(HotKeyCenterTest, RegisteringReplacesWhateverWasRegistered) {
    HotKeyCenter center([this] { ++presses; });
    center.registerHotKey(controlOptionCommandM);
    ASSERT_EQ(center.registerHotKey(controlOptionCommandM), std::nullopt) << "the same one again";
    EXPECT_EQ(fake.globalHotKeys.unregisterCalls, 1);
    EXPECT_EQ(fake.globalHotKeys.registrations.size(), 1u);

    // A refused registration still drops the old one.
    fake.globalHotKeys.failures[{40, 0x100}] = -50;
    EXPECT_EQ(center.registerHotKey(commandK), RegistrationError(RegistrationErrors::Failed{-50}));
    EXPECT_EQ(center.current(), std::nullopt);
    EXPECT_FALSE(fake.globalHotKeys.press(46, 0x1900));

    fake.globalHotKeys.heldElsewhere.insert({46, 0x1900});
    EXPECT_EQ(center.registerHotKey(controlOptionCommandM),
              RegistrationError(RegistrationErrors::TakenByAnotherApp{}));
    EXPECT_EQ(presses, 0);
}

TEST_F(HotKeyCenterTest, UnregisteringNothingLeavesThePlatformAlone) {
    {
        HotKeyCenter center([this] { ++presses; });
        center.unregister();
        EXPECT_EQ(fake.globalHotKeys.unregisterCalls, 0);
        center.registerHotKey(commandK);
        center.unregister();
        center.unregister();
        EXPECT_EQ(fake.globalHotKeys.unregisterCalls, 1);
        center.registerHotKey(commandK);
    }
    // Going away releases the registration and the handler.
    EXPECT_TRUE(fake.globalHotKeys.registrations.empty());
    EXPECT_EQ(fake.globalHotKeys.handlerCount(), 0u);
}

TEST_F(HotKeyCenterTest, WithoutAHandlerRegistrationWorksButPressesGoNowhere) {
    fake.globalHotKeys.installStatus = -108;
    HotKeyCenter center([this] { ++presses; });
    EXPECT_EQ(fake.log.count("Could not install the hotkey event handler (-108)"), 1u);
    EXPECT_EQ(fake.log.lines.back().level, platform::LogLevel::error);
    EXPECT_EQ(center.registerHotKey(commandK), std::nullopt);
    EXPECT_EQ(center.current(), commandK);
    EXPECT_FALSE(fake.globalHotKeys.press(40, 0x100));
    EXPECT_EQ(presses, 0);
}

}  // namespace
