#pragma once

// A reader for the old text property-list syntax, in which the system tool
// prints the installed services:
//
//   { key = "quoted value"; list = ( bare, 'single', ); bytes = <0fa0 12>; }
//
// It has no numbers, booleans or dates: unquoted 12 is the text "12". Strings
// are quoted with " or ', or unquoted runs of A-Z a-z 0-9 _ $ + / : . -, so
// file:///x is one string: a comment starts only where a token may start.
// Comments (// to the end of the line, /* ... */) and white space may stand
// between any two tokens.
//
// Escapes in quoted strings: \\ \" \' \n \t \r \b \f \v \a; \Uxxxx, 1 to 4
// hex digits, a UTF-16 unit, where a high and a low surrogate in a row make
// one code point and a lone one is an error; \0 to \377 octal, 1 to 3 digits,
// a byte meant in the NeXTSTEP encoding: below 0x80 that is ASCII, above it
// we read the byte as Latin-1, which differs from NeXTSTEP in a few upper
// characters but is one-to-one and what such bytes usually were; writers
// today escape non-ASCII text with \U anyway. Any other escaped character
// stands for itself. Unescaped text between quotes is passed on as it is
// (UTF-8).

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "platform/PropertyValue.h"

namespace TextPropertyList {

struct ParseError {
    std::string message;
    // Where the trouble is: the offending byte, or the start of a string,
    // comment, data, array or dictionary that never ends.
    std::size_t offset = 0;
    bool operator==(const ParseError&) const = default;
};

// Arrays and dictionaries nest at most this deep, so hostile input cannot
// exhaust the stack of the recursive reader.
inline constexpr std::size_t maximumDepth = 512;

// One value and nothing after it but white space and comments. Results hold
// only text, data, arrays and dictionaries; of a key given twice in one
// dictionary the last value wins.
std::variant<platform::PropertyValue, ParseError> parse(std::string_view text);

}  // namespace TextPropertyList
