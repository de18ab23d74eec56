#include "host/HostSymbolicHotKeys.h"

#include <gtest/gtest.h>

#include "host/PlistPreferenceDomains.h"
#include "support/Process.h"

namespace {

using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;

PropertyValue entry(bool enabled, std::int64_t code, std::int64_t modifiers) {
    return PropertyDictionary{{"kHISymbolicHotKeyEnabled", enabled},
                              {"kHISymbolicHotKeyCode", code},
                              {"kHISymbolicHotKeyModifiers", modifiers}};
}

class HostSymbolicHotKeysTest : public testing::Test {
protected:
    void store(const std::string& body) {
        support::writeFile(home.path() + "/Preferences/com.apple.symbolichotkeys.plist",
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body +
                               "</dict></plist>\n");
    }
    support::TemporaryDirectory home;
    host::PlistPreferenceDomains preferences{home.path() + "/Preferences"};
    host::HostSymbolicHotKeys hotKeys{preferences};
};

TEST_F(HostSymbolicHotKeysTest, WithoutTheUsersSettingsTheFactorySetAnswers) {
    PropertyArray factory{entry(true, 49, 0x100)};
    hotKeys.setFactorySet(factory);
    EXPECT_EQ(hotKeys.copySymbolicHotKeys(), PropertyValue(factory));
    store("<key>AppleSymbolicHotKeys</key><string>damaged</string>");
    EXPECT_EQ(hotKeys.copySymbolicHotKeys(), PropertyValue(factory));
}

TEST_F(HostSymbolicHotKeysTest, TheUsersSettingsAreReadInNumberOrder) {
    hotKeys.setFactorySet({entry(true, 49, 0x100)});
    store("<key>AppleSymbolicHotKeys</key><dict>"
          "<key>64</key><dict><key>enabled</key><false/><key>value</key><dict><key>parameters</key>"
          "<array><integer>32</integer><integer>49</integer><integer>1048576</integer></array>"
          "<key>type</key><string>standard</string></dict></dict>"
          "<key>7</key><dict><key>enabled</key><true/><key>value</key><dict><key>parameters</key>"
          "<array><integer>65535</integer><integer>120</integer><integer>8650752</integer></array></dict></dict>"
          "<key>9</key><string>damaged</string>"
          "<key>10</key><dict><key>enabled</key><true/></dict>"
          "</dict>");
    auto answer = hotKeys.copySymbolicHotKeys();
    EXPECT_EQ(answer, PropertyValue(PropertyArray{
                          entry(true, 120, 8650752),
                          PropertyDictionary{{"kHISymbolicHotKeyEnabled", true}},
                          entry(false, 49, 1048576),
                      }));
}

}  // namespace
