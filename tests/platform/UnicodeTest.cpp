#include "platform/Unicode.h"

#include <gtest/gtest.h>

namespace unicode = platform::unicode;

// Case mapping, control characters and canonical equivalence on valid text
// are also covered through the key names.

TEST(Unicode, CaseGraphemesAndEquivalenceFollowTheRootLocale) {
    EXPECT_EQ(unicode::uppercased("é"), "É");
    EXPECT_EQ(unicode::uppercased("i"), "I");  // no Turkish dotless i
    EXPECT_EQ(unicode::graphemeCount(""), 0u);
    EXPECT_EQ(unicode::graphemeCount("e\u0301"), 1u);
    EXPECT_EQ(unicode::graphemeCount("\U0001F1E9\U0001F1EA"), 1u);  // a flag
    EXPECT_TRUE(unicode::isControlOrFormat(0x7F));
    EXPECT_FALSE(unicode::isControlOrFormat(U' '));
    EXPECT_FALSE(unicode::isControlOrFormat(0xF704));  // private use, not a control
    EXPECT_FALSE(unicode::canonicallyEqual("e", "é"));
    EXPECT_FALSE(unicode::canonicallyEqual("A", "a"));
}

TEST(Unicode, InvalidTextIsHandledWithoutFailing) {
    EXPECT_EQ(unicode::scalars("a€"), (std::vector<char32_t>{U'a', U'€'}));
    // A truncated three-byte sequence, a lone continuation byte, an overlong
    // slash and an encoded surrogate: each bad byte is one replacement.
    EXPECT_EQ(unicode::scalars("\xE2\x82"), (std::vector<char32_t>{0xFFFD, 0xFFFD}));
    EXPECT_EQ(unicode::scalars("\x80z"), (std::vector<char32_t>{0xFFFD, U'z'}));
    EXPECT_EQ(unicode::scalars("\xC0\xAF"), (std::vector<char32_t>{0xFFFD, 0xFFFD}));
    EXPECT_EQ(unicode::scalars("\xED\xA0\x80").size(), 3u);
    EXPECT_EQ(unicode::fromScalar(U'\U0001F600'), "\U0001F600");
    EXPECT_EQ(unicode::fromScalar(0xD800), "\uFFFD");
    std::string bad = "\xFF\xFEq\xC3";
    EXPECT_EQ(unicode::uppercased(bad), "\uFFFD\uFFFDQ\uFFFD");
    EXPECT_EQ(unicode::graphemeCount(bad), 4u);
    EXPECT_FALSE(unicode::canonicallyEqual(bad, "q"));
}
