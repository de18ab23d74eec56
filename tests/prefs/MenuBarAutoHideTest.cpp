#include "prefs/MenuBarAutoHide.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace {

using fakes::FakePlatform;

class MenuBarAutoHideTest : public fakes::PlatformTest {
protected:
    void storeSetting(platform::PropertyValue value) {
        fake.preferences.store(FakePlatform::globalDomain, "_HIHideMenuBar", std::move(value));
    }
    std::optional<platform::PropertyValue> durableSetting() {
        return fake.preferences.stored(FakePlatform::globalDomain, "_HIHideMenuBar");
    }
    std::size_t announcements() {
        return fake.notifications.postedCount(MenuBarAutoHide::changedNotification);
    }
};

TEST_F(MenuBarAutoHideTest, ReadsNumbersByTheirTruthAndEverythingElseAsOff) {
    EXPECT_FALSE(MenuBarAutoHide::isOn());
    storeSetting(true);
    EXPECT_TRUE(MenuBarAutoHide::isOn());
    storeSetting(2);
    EXPECT_TRUE(MenuBarAutoHide::isOn());
    storeSetting(0);
    EXPECT_FALSE(MenuBarAutoHide::isOn());
    storeSetting("1");
    EXPECT_FALSE(MenuBarAutoHide::isOn());
    storeSetting(platform::Date{100});
    EXPECT_FALSE(MenuBarAutoHide::isOn());
    EXPECT_EQ(durableSetting(), platform::PropertyValue(platform::Date{100}))
        << "a read never repairs the stored value";
    EXPECT_EQ(fake.preferences.synchronizeCount, 0);
}

TEST_F(MenuBarAutoHideTest, AWriteIsDurableAndAnnouncedOnce) {
    MenuBarAutoHide::setOn(true);
    EXPECT_EQ(durableSetting(), platform::PropertyValue(true));
    ASSERT_EQ(announcements(), 1u);
    EXPECT_EQ(fake.notifications.posted[0].object, std::nullopt);
    EXPECT_TRUE(fake.notifications.posted[0].deliverImmediately);
    EXPECT_TRUE(MenuBarAutoHide::isOn());

    // Writing the value it already has still writes and announces.
    MenuBarAutoHide::setOn(true);
    EXPECT_EQ(announcements(), 2u);
}

TEST_F(MenuBarAutoHideTest, AFailedWriteIsLoggedOnceAndNotAnnounced) {
    fake.preferences.failingDomains.insert(FakePlatform::globalDomain);
    MenuBarAutoHide::setOn(true);
    EXPECT_EQ(announcements(), 0u);
    EXPECT_EQ(fake.log.count("Couldn't write the menu bar setting"), 1u);
    EXPECT_EQ(fake.log.lines.back().level, platform::LogLevel::error);
    EXPECT_EQ(durableSetting(), std::nullopt);
}

TEST_F(MenuBarAutoHideTest, ObserversInThisProcessHearTheChangeOnALaterTurn) {
    int heard = 0;
    fake.notifications.addObserver(MenuBarAutoHide::changedNotification,
                                   [&](const std::string&, const std::optional<std::string>&) {
                                       ++heard;
                                   });
    MenuBarAutoHide::setOn(false);
    EXPECT_EQ(heard, 0);
    fake.runLoop.drain();
    EXPECT_EQ(heard, 1);
}

}  // namespace
