#include "shortcuts/KeyCodeName.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace {

// The fake platform resets the character table, which outlives a test's layout.
using KeyCodeNameTest = fakes::PlatformTest;

TEST_F(KeyCodeNameTest, NamesAreFixedOrTheLayoutsCharacterInUppercaseElseTheNumber) {
    fake.keyboardLayout.keys[6] = "y";  // a German layout swaps Y and Z
    fake.keyboardLayout.keys[27] = "ß";
    // Empty, control and format text is no character.
    fake.keyboardLayout.keys[1] = "\u200B";
    fake.keyboardLayout.keys[2] = "";
    fake.keyboardLayout.keys[3] = "x\u200D";
    for (std::uint32_t keyCode : {36, 1, 2, 3}) {
        EXPECT_EQ(KeyCodeName::character(keyCode), std::nullopt) << keyCode;
    }
    // F20 is not a keypad key; 65536 must not wrap round to key 0 on the way
    // to the 16-bit layout.
    const std::map<std::uint32_t, std::string> names = {
        {96, "F5"},    {90, "F20"},  {89, "Keypad 7"}, {91, "Keypad 8"},
        {49, "Space"}, {0, "A"},     {18, "1"},        {6, "Y"},
        {27, "SS"},    {1, "Key 1"}, {200, "Key 200"}, {65536, "Key 65536"},
    };
    for (const auto& [keyCode, name] : names) {
        EXPECT_EQ(KeyCodeName::name(keyCode), name) << keyCode;
    }
}

TEST_F(KeyCodeNameTest, MenuKeyEquivalents) {
    fake.keyboardLayout.keys[1] = "Ä";
    const std::map<std::uint32_t, std::string> equivalents = {
        {76, "\r"},      {36, "\r"},     {48, "\t"},      {49, " "}, {51, "\b"}, {53, "\x1b"},
        {122, "\uF704"}, {90, "\uF717"}, {114, "\uF746"}, {0, "a"},  {83, "1"},  {1, "ä"},
    };
    for (const auto& [keyCode, equivalent] : equivalents) {
        EXPECT_EQ(KeyCodeName::menuKeyEquivalent(keyCode), equivalent) << keyCode;
    }
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(65536), std::nullopt);
}

TEST_F(KeyCodeNameTest, KeyCodeForCharactersOfEitherCase) {
    // "1" is not keypad 1.
    const std::map<std::string, std::uint32_t> keyCodes = {
        {"a", 0}, {"A", 0}, {"1", 18}, {"\uF702", 123}, {"\uF708", 96},
    };
    for (const auto& [character, keyCode] : keyCodes) {
        EXPECT_EQ(KeyCodeName::keyCode(character), keyCode) << character;
    }
    for (const char* none : {"€", "", "ab"}) EXPECT_EQ(KeyCodeName::keyCode(none), std::nullopt);
}

TEST_F(KeyCodeNameTest, WithoutALayoutOnlyFixedNamesAndFunctionKeysResolve) {
    fake.keyboardLayout.useNone();
    EXPECT_EQ(KeyCodeName::name(0), "Key 0");
    EXPECT_EQ(KeyCodeName::name(96), "F5");
    EXPECT_EQ(KeyCodeName::name(49), "Space");
    EXPECT_EQ(KeyCodeName::name(36), "↩");
    EXPECT_EQ(KeyCodeName::name(71), "⌧");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(0), std::nullopt);
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(36), "\r");
    EXPECT_EQ(KeyCodeName::keyCode("a"), std::nullopt);
    EXPECT_EQ(KeyCodeName::keyCode("\uF704"), 122u);
}

TEST_F(KeyCodeNameTest, CharacterTableRules) {
    fake.keyboardLayout.keys = {
        {3, "x"},   {5, "X"},  // the lowest key code wins
        {7, "É"},   {8, "é"},  // keyed by the lowercase form
        {9, "ab"},             // more than one character: left out
        {82, "q"},             // keypad 0 has a fixed name: left out
        {120, "w"},            // so has F2
        {200, "z"},            // beyond the keys looked at
    };
    EXPECT_EQ(KeyCodeName::keyCode("X"), 3u);
    EXPECT_EQ(KeyCodeName::keyCode("é"), 7u);
    EXPECT_EQ(KeyCodeName::keyCode("e\u0301"), 7u);  // the same character, decomposed
    for (const char* none : {"a", "q", "w", "z"}) {
        EXPECT_EQ(KeyCodeName::keyCode(none), std::nullopt) << none;
    }
}

TEST_F(KeyCodeNameTest, CharacterTableKeepsItsLayoutUntilToldOfAChange) {
    EXPECT_EQ(KeyCodeName::keyCode("z"), 6u);
    fake.keyboardLayout.keys[6] = "y";
    fake.keyboardLayout.keys[16] = "z";
    EXPECT_EQ(KeyCodeName::keyCode("z"), 6u);
    EXPECT_EQ(KeyCodeName::name(16), "Z");  // names follow the switch at once
    KeyCodeName::layoutDidChange();
    EXPECT_EQ(KeyCodeName::keyCode("z"), 16u);
}

}  // namespace
