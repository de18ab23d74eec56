#include "shortcuts/KeyCodeName.h"

#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "platform/Unicode.h"

namespace KeyCodeName {
namespace {

namespace unicode = platform::unicode;

// F1 to F20 in order; the private-use characters U+F704 to U+F717 follow the
// same order.
constexpr std::uint32_t functionKeyOrder[] = {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                              103, 111, 105, 107, 113, 106, 64, 79,  80,  90};

const std::map<std::uint32_t, std::string_view>& specialKeys() {
    static const std::map<std::uint32_t, std::string_view> table = {
        {36, "↩"},        {48, "⇥"},        {49, "Space"},    {51, "⌫"},        {117, "⌦"},
        {53, "⎋"},        {123, "←"},       {124, "→"},       {126, "↑"},       {125, "↓"},
        {115, "↖"},       {119, "↘"},       {116, "⇞"},       {121, "⇟"},       {114, "Help"},
        {76, "⌤"},        {71, "⌧"},        {82, "Keypad 0"}, {83, "Keypad 1"}, {84, "Keypad 2"},
        {85, "Keypad 3"}, {86, "Keypad 4"}, {87, "Keypad 5"}, {88, "Keypad 6"}, {89, "Keypad 7"},
        {91, "Keypad 8"}, {92, "Keypad 9"}, {65, "Keypad ."}, {67, "Keypad *"}, {69, "Keypad +"},
        {75, "Keypad /"}, {78, "Keypad -"}, {81, "Keypad ="},
    };
    return table;
}

// Keys without a printable character, paired with the private-use character
// menus and key events use for them.
const std::map<std::uint32_t, char32_t>& functionKeyCodes() {
    static const std::map<std::uint32_t, char32_t> table = [] {
        std::map<std::uint32_t, char32_t> keys = {
            {123, 0xF702}, {124, 0xF703}, {126, 0xF700}, {125, 0xF701}, {115, 0xF729},
            {119, 0xF72B}, {116, 0xF72C}, {121, 0xF72D}, {117, 0xF728}, {114, 0xF746},
        };
        char32_t next = 0xF704;
        for (std::uint32_t keyCode : functionKeyOrder) keys.emplace(keyCode, next++);
        return keys;
    }();
    return table;
}

bool hasFixedName(std::uint32_t keyCode) {
    return functionKeys().contains(keyCode) || specialKeys().contains(keyCode);
}

// Lowercased character to key code. Kept as a list because characters are
// matched by canonical equivalence (é typed as one or two scalars is the
// same key), and a layout has fewer than 128 of them.
using CharacterKeyCodes = std::vector<std::pair<std::string, std::uint32_t>>;

const std::uint32_t* findCharacter(const CharacterKeyCodes& table, std::string_view lowercase) {
    for (const auto& [character, keyCode] : table) {
        if (unicode::canonicallyEqual(character, lowercase)) return &keyCode;
    }
    return nullptr;
}

CharacterKeyCodes buildCharacterKeyCodes() {
    CharacterKeyCodes table;
    // Ascending, so the lowest key code wins when two keys type the same.
    for (std::uint32_t keyCode = 0; keyCode <= 127; ++keyCode) {
        if (hasFixedName(keyCode)) continue;
        auto typed = character(keyCode);
        if (!typed) continue;
        std::string lowercase = unicode::lowercased(*typed);
        if (unicode::graphemeCount(lowercase) != 1) continue;
        if (findCharacter(table, lowercase)) continue;
        table.emplace_back(std::move(lowercase), keyCode);
    }
    return table;
}

// Built from the layout current at first use, and again after a layout
// change. A mutex rather than a once flag, because a change forgets it.
struct CharacterTable {
    std::mutex mutex;
    std::optional<CharacterKeyCodes> keyCodes;
};

CharacterTable& characterTable() {
    static CharacterTable table;
    return table;
}

std::optional<std::uint32_t> lookUpCharacter(std::string_view lowercase) {
    CharacterTable& table = characterTable();
    std::lock_guard lock(table.mutex);
    if (!table.keyCodes) table.keyCodes = buildCharacterKeyCodes();
    if (const std::uint32_t* keyCode = findCharacter(*table.keyCodes, lowercase)) return *keyCode;
    return std::nullopt;
}

std::optional<std::string> fixedMenuKeyEquivalent(std::uint32_t keyCode) {
    switch (keyCode) {
        case 36:  // Return
        case 76:  // Keypad Enter
            return "\r";
        case 48:
            return "\t";
        case 49:
            return " ";
        case 51:
            return "\b";
        case 53:
            return "\x1b";
        default:
            return std::nullopt;
    }
}

}  // namespace

const std::map<std::uint32_t, std::string>& functionKeys() {
    static const std::map<std::uint32_t, std::string> table = [] {
        std::map<std::uint32_t, std::string> keys;
        int number = 1;
        for (std::uint32_t keyCode : functionKeyOrder) {
            keys.emplace(keyCode, "F" + std::to_string(number++));
        }
        return keys;
    }();
    return table;
}

std::string name(std::uint32_t keyCode) {
    if (auto found = functionKeys().find(keyCode); found != functionKeys().end()) {
        return found->second;
    }
    if (auto found = specialKeys().find(keyCode); found != specialKeys().end()) {
        return std::string(found->second);
    }
    if (auto typed = character(keyCode)) return unicode::uppercased(*typed);
    return "Key " + std::to_string(keyCode);
}

std::optional<std::string> menuKeyEquivalent(std::uint32_t keyCode) {
    if (auto found = functionKeyCodes().find(keyCode); found != functionKeyCodes().end()) {
        return unicode::fromScalar(found->second);
    }
    if (auto fixed = fixedMenuKeyEquivalent(keyCode)) return fixed;
    if (auto typed = character(keyCode)) return unicode::lowercased(*typed);
    return std::nullopt;
}

std::optional<std::string> character(std::uint32_t keyCode) {
    // The desktop's key codes are 16-bit; a larger stored one names no key.
    if (keyCode > 0xFFFF) return std::nullopt;
    auto typed = platform::current().keyboardLayout.characters(static_cast<std::uint16_t>(keyCode));
    if (!typed || typed->empty()) return std::nullopt;
    for (char32_t scalar : unicode::scalars(*typed)) {
        if (unicode::isControlOrFormat(scalar)) return std::nullopt;
    }
    return typed;
}

std::optional<std::uint32_t> keyCode(std::string_view character) {
    auto scalars = unicode::scalars(character);
    if (scalars.size() == 1) {
        for (const auto& [keyCode, functionCharacter] : functionKeyCodes()) {
            if (functionCharacter == scalars.front()) return keyCode;
        }
    }
    return lookUpCharacter(unicode::lowercased(character));
}

void layoutDidChange() {
    CharacterTable& table = characterTable();
    std::lock_guard lock(table.mutex);
    table.keyCodes.reset();
}

}  // namespace KeyCodeName
