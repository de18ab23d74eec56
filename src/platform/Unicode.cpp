#include "platform/Unicode.h"

#include <unicode/brkiter.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>

namespace platform::unicode {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one well-formed sequence at `at`, or answers 0 bytes used. The
// bounds on the second byte rule out overlong forms, surrogates and values
// above U+10FFFF.
std::size_t decodeOne(std::string_view text, std::size_t at, char32_t& scalar) {
    auto byte = [&](std::size_t offset) { return static_cast<unsigned char>(text[at + offset]); };
    unsigned char lead = byte(0);
    if (lead < 0x80) {
        scalar = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    if (length == 0 || at + length > text.size()) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!isContinuation(byte(i))) return 0;
    }
    char32_t value = lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) value = (value << 6) | (byte(i) & 0x3F);
    scalar = value;
    return length;
}

icu::UnicodeString toICU(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), text.size()));
}

std::string toUTF8(const icu::UnicodeString& text) {
    std::string result;
    text.toUTF8String(result);
    return result;
}

bool isASCII(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string uppercased(std::string_view text) {
    icu::UnicodeString unicode = toICU(text);
    return toUTF8(unicode.toUpper(icu::Locale::getRoot()));
}

std::string lowercased(std::string_view text) {
    icu::UnicodeString unicode = toICU(text);
    return toUTF8(unicode.toLower(icu::Locale::getRoot()));
}

namespace {

// A break iterator is costly to create; each thread keeps one. Absent when
// ICU has no character rules.
icu::BreakIterator* characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

}  // namespace

std::size_t graphemeCount(std::string_view text) {
    return graphemes(text).size();
}

std::vector<std::string> graphemes(std::string_view text) {
    std::vector<std::string> result;
    if (text.empty()) return result;
    icu::UnicodeString unicode = toICU(text);
    icu::BreakIterator* iterator = characterIterator();
    if (!iterator) {
        for (char32_t scalar : scalars(text)) result.push_back(fromScalar(scalar));
        return result;
    }
    iterator->setText(unicode);
    std::int32_t start = iterator->first();
    for (std::int32_t end = iterator->next(); end != icu::BreakIterator::DONE;
         start = end, end = iterator->next()) {
        result.push_back(toUTF8(unicode.tempSubStringBetween(start, end)));
    }
    return result;
}

bool isValidUTF8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        char32_t scalar = 0;
        std::size_t used = decodeOne(text, at, scalar);
        if (used == 0) return false;
        at += used;
    }
    return true;
}

std::vector<char32_t> scalars(std::string_view text) {
    std::vector<char32_t> result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t scalar = 0;
        std::size_t used = decodeOne(text, at, scalar);
        if (used == 0) {
            result.push_back(replacementCharacter);
            ++at;
            continue;
        }
        result.push_back(scalar);
        at += used;
    }
    return result;
}

std::string fromScalar(char32_t scalar) {
    if (scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) scalar = replacementCharacter;
    std::string result;
    if (scalar < 0x80) {
        result += static_cast<char>(scalar);
    } else if (scalar < 0x800) {
        result += static_cast<char>(0xC0 | (scalar >> 6));
        result += static_cast<char>(0x80 | (scalar & 0x3F));
    } else if (scalar < 0x10000) {
        result += static_cast<char>(0xE0 | (scalar >> 12));
        result += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        result += static_cast<char>(0x80 | (scalar & 0x3F));
    } else {
        result += static_cast<char>(0xF0 | (scalar >> 18));
        result += static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
        result += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        result += static_cast<char>(0x80 | (scalar & 0x3F));
    }
    return result;
}

bool isControlOrFormat(char32_t scalar) {
    auto type = u_charType(static_cast<UChar32>(scalar));
    return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR;
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
    if (a == b) return true;
    // ASCII has a single canonical form, so different bytes mean different text.
    if (isASCII(a) && isASCII(b)) return false;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) return false;
    icu::UnicodeString left = nfd->normalize(toICU(a), status);
    icu::UnicodeString right = nfd->normalize(toICU(b), status);
    return U_SUCCESS(status) && left == right;
}

namespace {

// The C and POSIX locales (ICU's en_US_POSIX) sort by code point, capitals
// first, which no person expects of a list of names; the root order stands in.
icu::Locale collationLocale() {
    const icu::Locale& user = icu::Locale::getDefault();
    if (std::string_view(user.getVariant()) == "POSIX") return icu::Locale::getRoot();
    return user;
}

// Secondary strength tells letters and accents apart but not case. Each
// thread keeps one; absent when ICU has no collation data.
icu::Collator* caseInsensitiveCollator() {
    thread_local std::unique_ptr<icu::Collator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> created(
            icu::Collator::createInstance(collationLocale(), status));
        if (U_FAILURE(status)) return std::unique_ptr<icu::Collator>();
        created->setStrength(icu::Collator::SECONDARY);
        return created;
    }();
    return collator.get();
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

}  // namespace

int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b) {
    icu::Collator* collator = caseInsensitiveCollator();
    if (!collator) return sign(lowercased(a).compare(lowercased(b)));
    UErrorCode status = U_ZERO_ERROR;
    auto result = collator->compareUTF8(icu::StringPiece(a.data(), a.size()),
                                        icu::StringPiece(b.data(), b.size()), status);
    if (U_FAILURE(status)) return sign(lowercased(a).compare(lowercased(b)));
    return static_cast<int>(result);
}

bool isSpaceSeparator(char32_t scalar) {
    return u_charType(static_cast<UChar32>(scalar)) == U_SPACE_SEPARATOR;
}

std::string replacingMatches(std::string_view text, std::string_view pattern,
                             std::string_view replacement) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(toICU(pattern), 0, parseError, status));
    if (U_FAILURE(status)) return std::string(text);
    icu::UnicodeString input = toICU(text);
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(input, status));
    if (U_FAILURE(status)) return std::string(text);
    // Matches are copied around by hand so the replacement is taken literally.
    icu::UnicodeString result;
    icu::UnicodeString literal = toICU(replacement);
    std::int32_t copied = 0;
    while (matcher->find(status) && U_SUCCESS(status)) {
        std::int32_t start = matcher->start(status);
        std::int32_t end = matcher->end(status);
        if (U_FAILURE(status)) return std::string(text);
        result.append(input, copied, start - copied).append(literal);
        copied = end;
    }
    if (U_FAILURE(status)) return std::string(text);
    result.append(input, copied, input.length() - copied);
    return toUTF8(result);
}

}  // namespace platform::unicode
