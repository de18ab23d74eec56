#include "prefs/Preferences.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "prefs/UserDefaults.h"

namespace {

using fakes::FakePlatform;
using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;

class PreferencesTest : public fakes::PlatformTest {
protected:
    void store(const std::string& key, PropertyValue value) {
        fake.preferences.store(FakePlatform::appDomain, key, std::move(value));
    }
    std::optional<PropertyValue> stored(const std::string& key) {
        return fake.preferences.stored(FakePlatform::appDomain, key);
    }
};

TEST_F(PreferencesTest, AnEmptyStoreReadsAsAFreshInstall) {
    UserDefaults::registerDefaults({{Preferences::rightClickToggleEnabledKey, true}});
    EXPECT_TRUE(Preferences::appRules().empty());
    EXPECT_TRUE(Preferences::recentApps().empty());
    EXPECT_EQ(Preferences::stateBeforeRule(), std::nullopt);
    EXPECT_EQ(Preferences::iconStyle(), StatusIconStyle::menuBar);
    EXPECT_TRUE(UserDefaults::boolForKey(Preferences::rightClickToggleEnabledKey));
    EXPECT_FALSE(UserDefaults::boolForKey(Preferences::didShowSettingsOnFirstLaunchKey));
    EXPECT_FALSE(Preferences::hasStoredHotKey());
    EXPECT_EQ(stored(Preferences::rightClickToggleEnabledKey), std::nullopt)
        << "registered defaults are never written";
}

TEST_F(PreferencesTest, AStoredFlagWinsOverItsRegisteredDefault) {
    UserDefaults::registerDefaults({{Preferences::rightClickToggleEnabledKey, true}});
    UserDefaults::setBool(Preferences::rightClickToggleEnabledKey, false);
    EXPECT_FALSE(UserDefaults::boolForKey(Preferences::rightClickToggleEnabledKey));
    EXPECT_EQ(stored(Preferences::rightClickToggleEnabledKey), PropertyValue(false));
    store(Preferences::rightClickToggleEnabledKey, "yes");
    EXPECT_FALSE(UserDefaults::boolForKey(Preferences::rightClickToggleEnabledKey));
}

TEST_F(PreferencesTest, AShortcutRoundTripsAndClearingStoresAnEmptyDictionary) {
    HotKey shortcut{46, 0x1C0000};
    Preferences::setHotKey(shortcut);
    EXPECT_EQ(stored("hotKey"),
              PropertyValue(PropertyDictionary{{"keyCode", 46}, {"modifiers", 0x1C0000}}));
    EXPECT_EQ(Preferences::hotKey(), shortcut);

    Preferences::setHotKey(std::nullopt);
    EXPECT_EQ(stored("hotKey"), PropertyValue(PropertyDictionary{}));
    EXPECT_TRUE(Preferences::hasStoredHotKey()) << "a cleared shortcut stays cleared";
    EXPECT_EQ(Preferences::hotKey(), std::nullopt);
}

TEST_F(PreferencesTest, AnUnreadableShortcutCountsAsStoredButGivesNone) {
    store("hotKey", "⌃⌥⌘M");
    EXPECT_TRUE(Preferences::hasStoredHotKey());
    EXPECT_EQ(Preferences::hotKey(), std::nullopt);
    store("hotKey", PropertyDictionary{{"modifiers", 0x1C0000}});
    EXPECT_EQ(Preferences::hotKey(), std::nullopt);
    EXPECT_EQ(fake.preferences.synchronizeCount, 0) << "reads never rewrite";
}

TEST_F(PreferencesTest, RulesListsFollowTheStoredArray) {
    PropertyDictionary safari{{"bundleID", "com.example.browser"}, {"autoHide", true}};
    PropertyDictionary broken{{"bundleID", "com.example.broken"}};
    PropertyDictionary notes{{"bundleID", "com.example.notes"}, {"name", "Notes"}, {"autoHide", false}};
    store("appRules", PropertyArray{safari, broken, notes});
    EXPECT_EQ(Preferences::appRules(),
              (std::vector<AppRule>{{"com.example.browser", "com.example.browser", true},
                                    {"com.example.notes", "Notes", false}}));

    store("appRules", PropertyArray{safari, 7, notes});
    EXPECT_TRUE(Preferences::appRules().empty());
    EXPECT_EQ(stored("appRules")->array()->size(), 3u) << "the malformed list is kept as it is";

    Preferences::setAppRules({{"com.example.notes", "Notes", true}});
    EXPECT_EQ(stored("appRules"), PropertyValue(PropertyArray{PropertyDictionary{
                                      {"bundleID", "com.example.notes"},
                                      {"name", "Notes"},
                                      {"autoHide", true}}}));
}

TEST_F(PreferencesTest, RecentAppsKeepTheirOrder) {
    std::vector<AppRef> apps{{"com.example.b", "B"}, {"com.example.a", "A"}};
    Preferences::setRecentApps(apps);
    EXPECT_EQ(Preferences::recentApps(), apps);
}

TEST_F(PreferencesTest, StateBeforeRuleIsABooleanOrNothing) {
    Preferences::setStateBeforeRule(true);
    EXPECT_EQ(Preferences::stateBeforeRule(), true);
    Preferences::setStateBeforeRule(std::nullopt);
    EXPECT_EQ(stored("stateBeforeRule"), std::nullopt);
    store("stateBeforeRule", 1);
    EXPECT_EQ(Preferences::stateBeforeRule(), std::nullopt);
}

TEST_F(PreferencesTest, IconStyleMatchesRawValuesExactly) {
    store("iconStyle", "Chevrons");
    EXPECT_EQ(Preferences::iconStyle(), StatusIconStyle::menuBar);
    EXPECT_EQ(stored("iconStyle"), PropertyValue("Chevrons"));
    store("iconStyle", "chevrons");
    EXPECT_EQ(Preferences::iconStyle(), StatusIconStyle::chevrons);
    Preferences::setIconStyle(StatusIconStyle::eye);
    EXPECT_EQ(stored("iconStyle"), PropertyValue("eye"));
}

TEST_F(PreferencesTest, AFailedWriteIsLoggedAndReadsAnswerWhatIsStored) {
    Preferences::setIconStyle(StatusIconStyle::eye);
    fake.preferences.failingDomains.insert(FakePlatform::appDomain);
    Preferences::setIconStyle(StatusIconStyle::pin);
    EXPECT_EQ(Preferences::iconStyle(), StatusIconStyle::eye);
    EXPECT_EQ(fake.log.count("Couldn't store the setting iconStyle"), 1u);
}

}  // namespace
