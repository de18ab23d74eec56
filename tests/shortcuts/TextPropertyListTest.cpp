#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shortcuts/TextPropertyList.h"

namespace {

using platform::Data;
using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;
using TextPropertyList::ParseError;

PropertyValue parsed(std::string_view text) {
    auto result = TextPropertyList::parse(text);
    if (const auto* error = std::get_if<ParseError>(&result)) {
        ADD_FAILURE() << text << ": " << error->message << " at " << error->offset;
        return PropertyValue("");
    }
    return std::get<PropertyValue>(std::move(result));
}

ParseError error(std::string_view text) {
    auto result = TextPropertyList::parse(text);
    if (const auto* error = std::get_if<ParseError>(&result)) return *error;
    ADD_FAILURE() << text << " parsed";
    return {};
}

TEST(TextPropertyListTest, ServicesDump) {
    auto dump = parsed(R"((
    {
        NSMenuItem = { default = "Make Note"; };
        NSMessage = makeNote;
        NSKeyEquivalent = { default = "@~n"; };
        NSBundleIdentifier = "com.example.jotter";
        NSSendTypes = ( NSStringPboardType );
        ValidData = <>;
    },
    {
        NSMenuItem = { default = "Open URL"; };
        NSSendTypes = ( NSStringPboardType, "public.url", );
        NSPortName = Browser;
        NSTimeout = 30000;
        NSUserData = < 0fA0 12 >;
        NSReturnTypes = ();
        NSRequiredContext = {};
    }
))");
    PropertyDictionary jotter{
        {"NSMenuItem", PropertyDictionary{{"default", "Make Note"}}},
        {"NSMessage", "makeNote"},
        {"NSKeyEquivalent", PropertyDictionary{{"default", "@~n"}}},
        {"NSBundleIdentifier", "com.example.jotter"},
        {"NSSendTypes", PropertyArray{"NSStringPboardType"}},
        {"ValidData", Data{}},
    };
    // Numbers are not typed in this syntax.
    PropertyDictionary browser{
        {"NSMenuItem", PropertyDictionary{{"default", "Open URL"}}},
        {"NSSendTypes", PropertyArray{"NSStringPboardType", "public.url"}},
        {"NSPortName", "Browser"},
        {"NSTimeout", "30000"},
        {"NSUserData", Data{0x0f, 0xa0, 0x12}},
        {"NSReturnTypes", PropertyArray{}},
        {"NSRequiredContext", PropertyDictionary{}},
    };
    EXPECT_EQ(dump, PropertyValue(PropertyArray{jotter, browser}));
}

TEST(TextPropertyListTest, StringsAndKeys) {
    EXPECT_EQ(parsed("12"), PropertyValue("12"));
    EXPECT_EQ(parsed("'single \"quotes\"'"), PropertyValue("single \"quotes\""));
    EXPECT_EQ(parsed("\"\""), PropertyValue(""));
    EXPECT_EQ(parsed("$a_b+c/d:e.f-9"), PropertyValue("$a_b+c/d:e.f-9"));
    EXPECT_EQ(parsed("{ a = 1; \"a\" = 2; b = 3; }"),
              PropertyValue(PropertyDictionary{{"a", "2"}, {"b", "3"}}));
    EXPECT_EQ(parsed(std::string("\"nul\0inside\"", 12)),
              PropertyValue(std::string("nul\0inside", 10)));
}

TEST(TextPropertyListTest, Escapes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"("\\ \" \' \n\t\r\b\f\v\a")", "\\ \" ' \n\t\r\b\f\v\a"},
        {R"('\'\"')", "'\""},
        {R"("\q\u\é")", "qué"},  // the escaped first byte of é keeps its second
        {R"("\101\60\7x")", "A0\ax"},
        {R"("\1011")", "A1"},                 // three octal digits at most
        {R"("\351t\377")", "\u00e9t\u00ff"},  // high bytes read as Latin-1
        {R"("a\0b")", std::string("a\0b", 3)},
        {R"("\U41\Ue9\U20ac\U00411")", "A\u00e9\u20acA1"},
        {R"("\Ud83d\Ude00 \UD834\UDD1E")", "\U0001F600 \U0001D11E"},
        {"\"caf\u00e9 \xF0\x9F\x98\x80\"", "caf\u00e9 \U0001F600"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parsed(text), PropertyValue(expected)) << text;
    }
}

TEST(TextPropertyListTest, CommentsAndSpaceBetweenAnyTokens) {
    auto value = parsed(
        "// services\n/* block ** / */ { /**/a /*x*/=/*x*/( //\n b /* , */ , \t\r\v\f c //x\r, )"
        "// y\n ; key /* { */ = < 00\n ff >; } // done");
    EXPECT_EQ(value, PropertyValue(PropertyDictionary{
                         {"a", PropertyArray{"b", "c"}},
                         {"key", Data{0x00, 0xff}},
                     }));
    // A comment starts only where a token does.
    EXPECT_EQ(parsed("file:///x//y"), PropertyValue("file:///x//y"));
}

TEST(TextPropertyListTest, MalformedInputSaysWhatAndWhere) {
    const std::vector<std::pair<std::string, ParseError>> cases = {
        {"", {"Empty input", 0}},
        {" /* only */ // comments", {"Empty input", 23}},
        {"{ a = \"abc; }", {"Unterminated quoted string", 6}},
        {"'mixed\"", {"Unterminated quoted string", 0}},
        {"\"ends in \\", {"Unterminated quoted string", 0}},
        {"{ a = b }", {"Expected ';' after dictionary value", 8}},
        {"{ a b; }", {"Expected '=' after dictionary key", 4}},
        {"{ (a) = b; }", {"Expected a string as dictionary key", 2}},
        {"{ a = ; }", {"Expected a value", 6}},
        {"{ a = b;", {"Unterminated dictionary", 0}},
        {"( a, (b c) )", {"Expected ',' or ')' after array element", 8}},
        {"(a,,b)", {"Expected a value", 3}},
        {"( a, ", {"Unterminated array", 0}},
        {"<abc>", {"Odd number of hex digits in data", 4}},
        {"<zz>", {"Invalid character in data", 1}},
        {"<a b>", {"Invalid character in data", 2}},
        {"<ab", {"Unterminated data", 0}},
        {"a b", {"Unexpected text after the value", 2}},
        {"(a) )", {"Unexpected text after the value", 4}},
        {"@", {"Expected a value", 0}},
        {"a /* open", {"Unterminated comment", 2}},
        {R"("\U")", {"Expected hex digits after \\U", 3}},
        {R"("x\Udc00")", {"Unpaired UTF-16 surrogate", 2}},
        {R"("x\Ud800")", {"Unpaired UTF-16 surrogate", 2}},
        {R"("x\Ud800\U0041")", {"Unpaired UTF-16 surrogate", 2}},
        {R"("x\Ud800\Ud800")", {"Unpaired UTF-16 surrogate", 2}},
        {R"("x\400")", {"Octal escape above \\377", 2}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(error(text), expected) << text;
}

TEST(TextPropertyListTest, NestingIsCappedWithoutExhaustingTheStack) {
    auto nested = [](std::size_t depth, const std::string& open, const std::string& close) {
        std::string text;
        for (std::size_t i = 0; i < depth; ++i) text += open;
        text += "x";
        for (std::size_t i = 0; i < depth; ++i) text += close;
        return text;
    };
    const auto deepest = TextPropertyList::maximumDepth;
    EXPECT_TRUE(
        std::holds_alternative<PropertyValue>(TextPropertyList::parse(nested(deepest, "(", ")"))));
    EXPECT_EQ(error(nested(deepest + 1, "(", ")")),
              (ParseError{"Nested more than 512 levels deep", 512}));
    EXPECT_EQ(error(nested(deepest + 1, "{a=", ";}")).offset, 3 * deepest);
    EXPECT_EQ(error(std::string(100000, '(')).offset, deepest);
}

}  // namespace
