#include "shortcuts/HotKey.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace {

using platform::PropertyDictionary;
using platform::PropertyValue;

constexpr std::uint64_t shift = ModifierFlags::shift;
constexpr std::uint64_t control = ModifierFlags::control;
constexpr std::uint64_t option = ModifierFlags::option;
constexpr std::uint64_t command = ModifierFlags::command;

using HotKeyTest = fakes::PlatformTest;

TEST_F(HotKeyTest, DisplayTextIsSymbolsInFixedOrderThenTheKeyName) {
    EXPECT_EQ((HotKey{46, 0x1C0000}).displayText(), "⌃⌥⌘M");
    EXPECT_EQ((HotKey{0, shift | command}).modifierSymbols(), "⇧⌘");
    EXPECT_EQ((HotKey{0, command | shift | option}).modifierSymbols(), "⌥⇧⌘");
    EXPECT_EQ((HotKey{0, command | shift | option | control}).modifierSymbols(), "⌃⌥⇧⌘");
    EXPECT_EQ((HotKey{0, 0}).modifierSymbols(), "");
    EXPECT_EQ((HotKey{96, command}).displayText(), "⌘F5");
    EXPECT_EQ((HotKey{36, shift | command}).displayText(), "⇧⌘↩");
    EXPECT_EQ((HotKey{85, control}).displayText(), "⌃Keypad 3");
}

TEST_F(HotKeyTest, CarbonModifiersUseTheRegistrationBits) {
    EXPECT_EQ((HotKey{0, control | option | command}).carbonModifiers(), 0x1900u);
    EXPECT_EQ((HotKey{0, shift}).carbonModifiers(), 0x200u);
    EXPECT_EQ((HotKey{0, shift | control | option | command}).carbonModifiers(), 0x1B00u);
    EXPECT_EQ((HotKey{0, 0x10000}).carbonModifiers(), 0u);  // caps lock is not ours
}

TEST_F(HotKeyTest, EqualOnlyWhenBothWholeFieldsAreEqual) {
    EXPECT_NE((HotKey{3, 0x100000}), (HotKey{3, 0x120000}));
    EXPECT_NE((HotKey{3, command}), (HotKey{4, command}));
    EXPECT_EQ((HotKey{3, command}), (HotKey{3, command}));
}

TEST_F(HotKeyTest, StoredFormRoundTrips) {
    HotKey hotKey{46, control | option | command};
    PropertyDictionary stored = hotKey.dictionary();
    EXPECT_EQ(stored, (PropertyDictionary{{"keyCode", 46}, {"modifiers", 0x1C0000}}));
    EXPECT_EQ(HotKey::fromDictionary(stored), hotKey);
}

TEST_F(HotKeyTest, MissingOrNonIntegerEntriesReadAsNoShortcut) {
    EXPECT_EQ(HotKey::fromDictionary({}), std::nullopt);
    EXPECT_EQ(HotKey::fromDictionary({{"keyCode", 46}}), std::nullopt);
    EXPECT_EQ(HotKey::fromDictionary({{"modifiers", 0x100000}}), std::nullopt);
    EXPECT_EQ(HotKey::fromDictionary({{"keyCode", 46}, {"modifiers", "1048576"}}), std::nullopt);
    // Booleans and reals are numbers to the desktop but not integers.
    EXPECT_EQ(HotKey::fromDictionary({{"keyCode", true}, {"modifiers", 0x100000}}), std::nullopt);
    EXPECT_EQ(HotKey::fromDictionary({{"keyCode", 46}, {"modifiers", false}}), std::nullopt);
    EXPECT_EQ(HotKey::fromDictionary({{"keyCode", 46.0}, {"modifiers", 0x100000}}), std::nullopt);
}

TEST_F(HotKeyTest, ReadingRangeChecksAndMasksTheModifiers) {
    auto read = [](std::int64_t keyCode, std::int64_t modifiers) {
        return HotKey::fromDictionary(
            {{"keyCode", PropertyValue(keyCode)}, {"modifiers", PropertyValue(modifiers)}});
    };
    EXPECT_EQ(read(46, 0x1C0100), (HotKey{46, 0x1C0000}));
    EXPECT_EQ(read(46, 0x7FFFFFFFFFFFFFFF), (HotKey{46, ModifierFlags::mask}));
    EXPECT_EQ(read(4294967295, command), (HotKey{4294967295u, command}));
    EXPECT_EQ(read(4294967296, command), std::nullopt);
    EXPECT_EQ(read(-1, command), std::nullopt);
    EXPECT_EQ(read(46, -1), std::nullopt);
}

TEST_F(HotKeyTest, DefaultCandidatesOnTheUSLayout) {
    std::vector<std::string> shown;
    for (const HotKey& candidate : HotKey::defaultCandidates()) {
        shown.push_back(candidate.displayText());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"⌃⌥⌘M", "⌃⌥⌘B", "⌃⌥⌘H", "⌃⌥⌘T", "⌃⌥⌘Y", "⌃⌥⌘U"}));
}

}  // namespace
