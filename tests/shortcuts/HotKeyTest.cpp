#include "shortcuts/HotKey.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fakes/FakePlatform.h"
#include "fakes/Modifiers.h"

namespace {

using namespace fakes::modifiers;
using platform::PropertyValue;


using HotKeyTest = fakes::PlatformTest;

TEST_F(HotKeyTest, SymbolsInFixedOrderThenTheKeyNameAndTheRegistrationBits) {
    for (const auto& [hotKey, text, carbon] : std::vector<std::tuple<HotKey, std::string, int>>{
             {{46, control | option | command}, "⌃⌥⌘M", 0x1900},
             {{0, command | shift | option}, "⌥⇧⌘A", 0xB00},
             {{0, command | shift | option | control}, "⌃⌥⇧⌘A", 0x1B00},
             {{0, shift}, "⇧A", 0x200},
             {{0, 0x10000}, "A", 0},  // caps lock is not ours
             {{96, command}, "⌘F5", 0x100},
             {{36, shift | command}, "⇧⌘↩", 0x300},
             {{85, control}, "⌃Keypad 3", 0x1000}}) {
        EXPECT_EQ(hotKey.displayText(), text);
        EXPECT_EQ(hotKey.carbonModifiers(), std::uint32_t(carbon)) << text;
    }
}

// The stored form and its round trip are tested with the preferences.
TEST_F(HotKeyTest, ReadingRejectsWhatIsNotAnIntegerInRangeAndMasksTheModifiers) {
    auto read = [](PropertyValue keyCode, PropertyValue modifiers) {
        return HotKey::fromDictionary({{"keyCode", keyCode}, {"modifiers", modifiers}});
    };
    EXPECT_EQ(read(46, 0x1C0100), (HotKey{46, 0x1C0000}));
    EXPECT_EQ(read(46, 0x7FFFFFFFFFFFFFFF), (HotKey{46, ModifierFlags::mask}));
    EXPECT_EQ(read(4294967295, 0x100000), (HotKey{4294967295u, command}));
    // Booleans and reals are numbers to the desktop but not integers.
    const std::vector<std::pair<PropertyValue, PropertyValue>> rejected = {
        {4294967296, 0x100000}, {-1, 0x100000}, {46, -1},         {46, "1048576"},
        {true, 0x100000},       {46, false},    {46.0, 0x100000},
    };
    int index = 0;
    for (const auto& [keyCode, modifiers] : rejected) {
        EXPECT_EQ(read(keyCode, modifiers), std::nullopt) << "rejected[" << index++ << "]";
    }
    EXPECT_EQ(HotKey::fromDictionary({{"keyCode", 46}}), std::nullopt);
}

// The codes are key positions; what people see on the US layout are these letters.
TEST_F(HotKeyTest, DefaultCandidatesOnTheUSLayout) {
    std::vector<std::string> shown;
    for (const HotKey& candidate : HotKey::defaultCandidates()) {
        shown.push_back(candidate.displayText());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"⌃⌥⌘M", "⌃⌥⌘B", "⌃⌥⌘H", "⌃⌥⌘T", "⌃⌥⌘Y", "⌃⌥⌘U"}));
}

TEST_F(HotKeyTest, ServicesKeyEquivalents) {
    auto read = [](std::string_view text) { return HotKey::fromServicesKeyEquivalent(text); };
    EXPECT_EQ(read("@~T"), (HotKey{17, option | shift | command}));
    EXPECT_EQ(read("^@t"), (HotKey{17, control | command}));
    // Without a prefix a key means ⇧⌘, whatever its case.
    EXPECT_EQ(read("L"), (HotKey{37, shift | command}));
    EXPECT_EQ(read("l"), (HotKey{37, shift | command}));
    EXPECT_EQ(read("$@k"), (HotKey{40, shift | command}));
    EXPECT_EQ(read("@1"), (HotKey{18, command}));
    // One key after the prefixes, as one user-perceived character.
    EXPECT_EQ(read("@\xEF\x9C\x84"), (HotKey{122, command})) << "F1 as its private-use character";
    for (std::string_view refused : {"", "@", "@@", "ab", "@ab", "@\xE2\x82\xAC", "@\xFF"}) {
        EXPECT_EQ(read(refused), std::nullopt) << refused;
    }
}

TEST_F(HotKeyTest, ServicesKeyEquivalentsFollowTheLayout) {
    fake.keyboardLayout.keys[16] = "z";  // the key in the US Y position types z
    fake.keyboardLayout.keys[6] = "y";
    EXPECT_EQ(HotKey::fromServicesKeyEquivalent("@z"), (HotKey{16, command}));
}

}  // namespace
