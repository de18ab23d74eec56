#include "shortcuts/KeyCodeName.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace {

// The character table outlives a test's fake layout; every test starts afresh.
class KeyCodeNameTest : public fakes::PlatformTest {
protected:
    void SetUp() override { KeyCodeName::resetCharacterTableForTesting(); }
    void TearDown() override { KeyCodeName::resetCharacterTableForTesting(); }
};

TEST_F(KeyCodeNameTest, FixedNamesDoNotDependOnTheLayout) {
    fake.keyboardLayout.useNone();
    EXPECT_EQ(KeyCodeName::name(96), "F5");
    EXPECT_EQ(KeyCodeName::name(90), "F20");  // not a keypad key
    EXPECT_EQ(KeyCodeName::name(89), "Keypad 7");
    EXPECT_EQ(KeyCodeName::name(91), "Keypad 8");
    EXPECT_EQ(KeyCodeName::name(49), "Space");
    EXPECT_EQ(KeyCodeName::name(36), "↩");
    EXPECT_EQ(KeyCodeName::name(71), "⌧");
    EXPECT_EQ(KeyCodeName::functionKeys().size(), 20u);
    EXPECT_EQ(KeyCodeName::functionKeys().at(122), "F1");
}

TEST_F(KeyCodeNameTest, PrintableKeysAreNamedByTheCurrentLayoutInUppercase) {
    EXPECT_EQ(KeyCodeName::name(0), "A");
    EXPECT_EQ(KeyCodeName::name(18), "1");
    fake.keyboardLayout.keys[6] = "y";  // a German layout swaps Y and Z
    EXPECT_EQ(KeyCodeName::name(6), "Y");
    fake.keyboardLayout.keys[27] = "ß";
    EXPECT_EQ(KeyCodeName::name(27), "SS");
}

TEST_F(KeyCodeNameTest, KeysWithoutACharacterFallBackToTheirNumber) {
    EXPECT_EQ(KeyCodeName::name(200), "Key 200");
    // 65536 must not wrap round to key 0 on the way to the 16-bit layout.
    EXPECT_EQ(KeyCodeName::name(65536), "Key 65536");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(65536), std::nullopt);
    fake.keyboardLayout.useNone();
    EXPECT_EQ(KeyCodeName::name(0), "Key 0");
}

TEST_F(KeyCodeNameTest, CharacterLeavesOutEmptyControlAndFormatText) {
    EXPECT_EQ(KeyCodeName::character(0), "a");
    EXPECT_EQ(KeyCodeName::character(36), std::nullopt);  // "\r"
    fake.keyboardLayout.keys[0] = "";
    fake.keyboardLayout.keys[1] = "\u200B";
    fake.keyboardLayout.keys[2] = "x\u200D";
    EXPECT_EQ(KeyCodeName::character(0), std::nullopt);
    EXPECT_EQ(KeyCodeName::character(1), std::nullopt);
    EXPECT_EQ(KeyCodeName::character(2), std::nullopt);
    EXPECT_EQ(KeyCodeName::name(1), "Key 1");
}

TEST_F(KeyCodeNameTest, MenuKeyEquivalents) {
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(76), "\r");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(36), "\r");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(48), "\t");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(49), " ");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(51), "\b");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(53), "\x1b");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(122), "\uF704");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(90), "\uF717");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(114), "\uF746");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(0), "a");
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(83), "1");
    fake.keyboardLayout.keys[0] = "Ä";
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(0), "ä");
    fake.keyboardLayout.useNone();
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(0), std::nullopt);
    EXPECT_EQ(KeyCodeName::menuKeyEquivalent(36), "\r");
}

TEST_F(KeyCodeNameTest, KeyCodeForCharactersOfEitherCase) {
    EXPECT_EQ(KeyCodeName::keyCode("a"), 0u);
    EXPECT_EQ(KeyCodeName::keyCode("A"), 0u);
    EXPECT_EQ(KeyCodeName::keyCode("1"), 18u);  // not keypad 1
    EXPECT_EQ(KeyCodeName::keyCode("\uF702"), 123u);
    EXPECT_EQ(KeyCodeName::keyCode("\uF708"), 96u);
    EXPECT_EQ(KeyCodeName::keyCode("€"), std::nullopt);
    EXPECT_EQ(KeyCodeName::keyCode(""), std::nullopt);
    EXPECT_EQ(KeyCodeName::keyCode("ab"), std::nullopt);
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
    EXPECT_EQ(KeyCodeName::keyCode("a"), std::nullopt);
    EXPECT_EQ(KeyCodeName::keyCode("q"), std::nullopt);
    EXPECT_EQ(KeyCodeName::keyCode("w"), std::nullopt);
    EXPECT_EQ(KeyCodeName::keyCode("z"), std::nullopt);
}

TEST_F(KeyCodeNameTest, CharacterTableKeepsTheLayoutOfFirstUse) {
    EXPECT_EQ(KeyCodeName::keyCode("z"), 6u);
    fake.keyboardLayout.keys[6] = "y";
    fake.keyboardLayout.keys[16] = "z";
    EXPECT_EQ(KeyCodeName::keyCode("z"), 6u);
    EXPECT_EQ(KeyCodeName::name(16), "Z");  // names follow the switch at once
    KeyCodeName::resetCharacterTableForTesting();
    EXPECT_EQ(KeyCodeName::keyCode("z"), 16u);
}

TEST_F(KeyCodeNameTest, WithoutALayoutOnlyFunctionKeyCharactersResolve) {
    fake.keyboardLayout.useNone();
    EXPECT_EQ(KeyCodeName::keyCode("a"), std::nullopt);
    EXPECT_EQ(KeyCodeName::keyCode("\uF704"), 122u);
}

}  // namespace
