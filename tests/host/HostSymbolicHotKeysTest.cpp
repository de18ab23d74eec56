#include "host/HostSymbolicHotKeys.h"

#include <gtest/gtest.h>

#include "host/PlistPreferenceDomains.h"
#include "support/Process.h"

namespace {

using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;

PropertyDictionary entry(bool enabled, std::int64_t code, std::int64_t carbonModifiers) {
    return PropertyDictionary{{"kHISymbolicHotKeyEnabled", enabled},
                              {"kHISymbolicHotKeyCode", code},
                              {"kHISymbolicHotKeyModifiers", carbonModifiers}};
}

// As the desktop's keyboard settings write an entry: the modifiers in the
// device-independent bits.
std::string stored(int number, const std::string& body) {
    return "<key>" + std::to_string(number) + "</key><dict>" + body + "</dict>";
}
std::string keys(int code, int flags) {
    return "<key>value</key><dict><key>parameters</key><array><integer>65535</integer><integer>" +
           std::to_string(code) + "</integer><integer>" + std::to_string(flags) +
           "</integer></array><key>type</key><string>standard</string></dict>";
}

constexpr int carbonFunctionKey = 0x20000;

class HostSymbolicHotKeysTest : public testing::Test {
protected:
    void SetUp() override {
        hotKeys.setFactorySet({{64, entry(true, 49, 0x100)},
                               {32, entry(true, 126, 0x1000 | carbonFunctionKey)},
                               {7, entry(true, 120, 0x1000 | carbonFunctionKey)},
                               {233, entry(true, 46, 0x100)},
                               {60, entry(true, 49, 0x1000)}});
    }
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
    PropertyValue factory(PropertyArray{entry(true, 49, 0x100), entry(true, 126, 0x21000),
                                        entry(true, 120, 0x21000), entry(true, 46, 0x100),
                                        entry(true, 49, 0x1000)});
    EXPECT_EQ(hotKeys.copySymbolicHotKeys(), factory);
    store("<key>AppleSymbolicHotKeys</key><string>damaged</string>");
    EXPECT_EQ(hotKeys.copySymbolicHotKeys(), factory);
}

TEST_F(HostSymbolicHotKeysTest, EachStoredEntryChangesTheShortcutOfItsNumberOnly) {
    store("<key>AppleSymbolicHotKeys</key><dict>" +
          stored(64, "<key>enabled</key><false/>" + keys(49, 0x100000)) +
          // ⌃⌥F2 instead of ⌃F2; the function-row flag becomes the Carbon one.
          stored(7, "<key>enabled</key><true/>" + keys(120, 0x8C0000)) +
          stored(32, "<key>enabled</key><false/>") +  // switched off, keys kept
          stored(300, "<key>enabled</key><true/>" + keys(46, 0x1C0000)) +
          stored(301, "<key>enabled</key><false/>") +  // no keys: nothing to add
          // Damaged entries leave their shortcut as it was.
          stored(233, "<key>enabled</key><string>no</string>" + keys(46, 0)) +
          stored(60, "<key>enabled</key><false/><key>value</key><dict></dict>") +
          "<key>9</key><string>damaged</string>" + "<key>ten</key><dict><key>enabled</key><true/>" +
          keys(1, 0) + "</dict>" + "</dict>");
    EXPECT_EQ(hotKeys.copySymbolicHotKeys(), PropertyValue(PropertyArray{
                                                 entry(false, 49, 0x100),
                                                 entry(false, 126, 0x1000 | carbonFunctionKey),
                                                 entry(true, 120, 0x1800 | carbonFunctionKey),
                                                 entry(true, 46, 0x100),
                                                 entry(true, 49, 0x1000),
                                                 entry(true, 46, 0x1900),
                                             }));
}

}  // namespace
