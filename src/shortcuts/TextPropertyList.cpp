#include "shortcuts/TextPropertyList.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "platform/Unicode.h"

namespace TextPropertyList {

namespace {

using platform::Data;
using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;

constexpr std::array<bool, 256> unquotedCharacters = [] {
    std::array<bool, 256> table{};
    for (int c = 'a'; c <= 'z'; ++c) table[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c) table[c] = true;
    for (int c = '0'; c <= '9'; ++c) table[c] = true;
    for (char c : std::string_view("_$+/:.-")) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool isUnquoted(char c) {
    return unquotedCharacters[static_cast<unsigned char>(c)];
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The single-letter escapes of C; other escaped characters stand for themselves.
char simpleEscape(char c) {
    switch (c) {
        case 'n':
            return '\n';
        case 't':
            return '\t';
        case 'r':
            return '\r';
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'v':
            return '\v';
        case 'a':
            return '\a';
        default:
            return c;
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::variant<PropertyValue, ParseError> parseDocument() {
        if (!skipSpaceAndComments()) return std::move(*error_);
        if (atEnd()) return ParseError{"Empty input", pos_};
        auto value = parseValue(0);
        if (!value) return std::move(*error_);
        if (!skipSpaceAndComments()) return std::move(*error_);
        if (!atEnd()) return ParseError{"Unexpected text after the value", pos_};
        return std::move(*value);
    }

private:
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return text_[pos_]; }

    std::nullopt_t fail(std::string message, std::size_t offset) {
        error_ = ParseError{std::move(message), offset};
        return std::nullopt;
    }

    // Callers have skipped white space and know a byte follows.
    std::optional<PropertyValue> parseValue(std::size_t depth) {
        char c = peek();
        if (c == '(') return parseArray(depth + 1);
        if (c == '{') return parseDictionary(depth + 1);
        if (c == '<') return parseData();
        if (!isQuote(c) && !isUnquoted(c)) return fail("Expected a value", pos_);
        auto text = parseString();
        if (!text) return std::nullopt;
        return PropertyValue(std::move(*text));
    }

    bool enterContainer(std::size_t depth) {
        if (depth <= maximumDepth) return true;
        fail("Nested more than " + std::to_string(maximumDepth) + " levels deep", pos_);
        return false;
    }

    std::optional<PropertyValue> parseArray(std::size_t depth) {
        if (!enterContainer(depth)) return std::nullopt;
        std::size_t start = pos_++;
        PropertyArray items;
        while (true) {
            if (!skipToNextToken(start, "Unterminated array")) return std::nullopt;
            if (peek() == ')') break;
            auto item = parseValue(depth);
            if (!item) return std::nullopt;
            items.push_back(std::move(*item));
            if (!skipToNextToken(start, "Unterminated array")) return std::nullopt;
            if (peek() == ')') break;
            if (peek() != ',') return fail("Expected ',' or ')' after array element", pos_);
            ++pos_;
        }
        ++pos_;
        return PropertyValue(std::move(items));
    }

    std::optional<PropertyValue> parseDictionary(std::size_t depth) {
        if (!enterContainer(depth)) return std::nullopt;
        std::size_t start = pos_++;
        PropertyDictionary entries;
        const char* unterminated = "Unterminated dictionary";
        while (true) {
            if (!skipToNextToken(start, unterminated)) return std::nullopt;
            if (peek() == '}') break;
            if (!isQuote(peek()) && !isUnquoted(peek())) {
                return fail("Expected a string as dictionary key", pos_);
            }
            auto key = parseString();
            if (!key) return std::nullopt;
            if (!skipToNextToken(start, unterminated)) return std::nullopt;
            if (peek() != '=') return fail("Expected '=' after dictionary key", pos_);
            ++pos_;
            if (!skipToNextToken(start, unterminated)) return std::nullopt;
            auto value = parseValue(depth);
            if (!value) return std::nullopt;
            if (!skipToNextToken(start, unterminated)) return std::nullopt;
            if (peek() != ';') return fail("Expected ';' after dictionary value", pos_);
            ++pos_;
            entries.insert_or_assign(std::move(*key), std::move(*value));
        }
        ++pos_;
        return PropertyValue(std::move(entries));
    }

    std::optional<PropertyValue> parseData() {
        std::size_t start = pos_++;
        auto close = text_.find('>', pos_);
        if (close == std::string_view::npos) return fail("Unterminated data", start);
        Data bytes;
        bytes.reserve((close - pos_) / 2);
        while (true) {
            while (isSpace(peek())) ++pos_;
            if (peek() == '>') break;
            int high = hexValue(peek());
            if (high < 0) return fail("Invalid character in data", pos_);
            int low = hexValue(text_[++pos_]);
            if (low < 0 && peek() == '>') return fail("Odd number of hex digits in data", pos_);
            if (low < 0) return fail("Invalid character in data", pos_);
            ++pos_;
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
        }
        ++pos_;
        return PropertyValue(std::move(bytes));
    }

    std::optional<std::string> parseString() {
        if (isQuote(peek())) return parseQuoted();
        std::size_t start = pos_;
        while (!atEnd() && isUnquoted(peek())) ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }

    std::optional<std::string> parseQuoted() {
        char quote = peek();
        std::size_t start = pos_++;
        std::string text;
        while (true) {
            std::size_t run = pos_;
            while (!atEnd() && peek() != quote && peek() != '\\') ++pos_;
            text.append(text_.substr(run, pos_ - run));
            if (atEnd()) return fail("Unterminated quoted string", start);
            if (peek() == quote) break;
            if (++pos_ == text_.size()) return fail("Unterminated quoted string", start);
            if (!parseEscape(text)) return std::nullopt;
        }
        ++pos_;
        return text;
    }

    // At the byte after a backslash, which exists.
    bool parseEscape(std::string& text) {
        std::size_t escape = pos_ - 1;
        char c = peek();
        if (isOctal(c)) return parseOctal(text, escape);
        if (c == 'U') return parseUtf16(text, escape);
        text += simpleEscape(c);
        ++pos_;
        return true;
    }

    bool parseOctal(std::string& text, std::size_t escape) {
        unsigned value = 0;
        for (int digits = 0; digits < 3 && !atEnd() && isOctal(peek()); ++digits, ++pos_) {
            value = value * 8 + static_cast<unsigned>(peek() - '0');
        }
        if (value > 0377) {
            fail("Octal escape above \\377", escape);
            return false;
        }
        text += platform::unicode::fromScalar(value);
        return true;
    }

    bool parseUtf16(std::string& text, std::size_t escape) {
        auto unit = parseUtf16Unit();
        if (!unit) return false;
        if (isLowSurrogate(*unit)) return unpairedSurrogate(escape);
        if (!isHighSurrogate(*unit)) {
            text += platform::unicode::fromScalar(*unit);
            return true;
        }
        if (text_.substr(pos_, 2) != "\\U") return unpairedSurrogate(escape);
        ++pos_;
        auto low = parseUtf16Unit();
        if (!low) return false;
        if (!isLowSurrogate(*low)) return unpairedSurrogate(escape);
        text += platform::unicode::fromScalar(0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00));
        return true;
    }

    bool unpairedSurrogate(std::size_t escape) {
        fail("Unpaired UTF-16 surrogate", escape);
        return false;
    }

    // At the U of \U: one to four hex digits follow.
    std::optional<char32_t> parseUtf16Unit() {
        std::size_t start = ++pos_;
        char32_t unit = 0;
        for (; pos_ - start < 4 && !atEnd() && hexValue(peek()) >= 0; ++pos_) {
            unit = unit * 16 + static_cast<char32_t>(hexValue(peek()));
        }
        if (pos_ == start) return fail("Expected hex digits after \\U", pos_);
        return unit;
    }

    // Inside an array or dictionary: running out of text means it never ends.
    bool skipToNextToken(std::size_t start, const char* unterminated) {
        if (!skipSpaceAndComments()) return false;
        if (!atEnd()) return true;
        fail(unterminated, start);
        return false;
    }

    bool skipSpaceAndComments() {
        while (!atEnd()) {
            if (isSpace(peek())) {
                ++pos_;
                continue;
            }
            if (peek() != '/' || pos_ + 1 == text_.size()) return true;
            char next = text_[pos_ + 1];
            if (next == '/') {
                pos_ = std::min(text_.find_first_of("\r\n", pos_ + 2), text_.size());
                continue;
            }
            if (next != '*') return true;
            auto end = text_.find("*/", pos_ + 2);
            if (end == std::string_view::npos) {
                fail("Unterminated comment", pos_);
                return false;
            }
            pos_ = end + 2;
        }
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::optional<ParseError> error_;
};

}  // namespace

std::variant<PropertyValue, ParseError> parse(std::string_view text) {
    return Parser(text).parseDocument();
}

}  // namespace TextPropertyList
