#pragma once

// Unicode text operations, all on UTF-8 strings. The one place the program
// reaches ICU; everything else asks here.

#include <string>
#include <string_view>
#include <vector>

namespace platform::unicode {

// Full case mappings (root locale), which may change the text's length.
std::string uppercased(std::string_view text);
std::string lowercased(std::string_view text);

// Number of user-perceived characters (extended grapheme clusters).
std::size_t graphemeCount(std::string_view text);
// The user-perceived characters themselves, in order.
std::vector<std::string> graphemes(std::string_view text);

// Well-formed UTF-8: no stray bytes, overlong forms, surrogates or values
// beyond U+10FFFF.
bool isValidUTF8(std::string_view text);

// The code points of the text; invalid UTF-8 gives U+FFFD for each bad byte.
std::vector<char32_t> scalars(std::string_view text);
std::string fromScalar(char32_t scalar);

// General categories Cc (control) or Cf (format).
bool isControlOrFormat(char32_t scalar);
// General category Zs (space separator).
bool isSpaceSeparator(char32_t scalar);

// Every match of the regular expression `pattern` (ICU syntax) replaced by
// `replacement`, taken literally. An invalid pattern changes nothing.
std::string replacingMatches(std::string_view text, std::string_view pattern,
                             std::string_view replacement);

// Equal as Unicode strings: canonically equivalent forms compare equal.
bool canonicallyEqual(std::string_view a, std::string_view b);

// Orders text as the user's locale sorts it, ignoring case but not accents:
// negative when `a` comes first, zero when they sort alike, else positive.
int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);

}  // namespace platform::unicode
