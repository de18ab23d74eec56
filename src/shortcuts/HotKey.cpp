#include "shortcuts/HotKey.h"

#include <limits>

#include "platform/Unicode.h"
#include "shortcuts/KeyCodeName.h"

namespace {

constexpr const char* keyCodeKey = "keyCode";
constexpr const char* modifiersKey = "modifiers";

std::optional<std::int64_t> integerEntry(const platform::PropertyDictionary& dictionary,
                                         const std::string& key) {
    const platform::PropertyValue* value = platform::find(dictionary, key);
    if (!value) return std::nullopt;
    return value->integer();
}

}  // namespace

std::string HotKey::modifierSymbols() const {
    std::string symbols;
    if (modifiers & ModifierFlags::control) symbols += "⌃";
    if (modifiers & ModifierFlags::option) symbols += "⌥";
    if (modifiers & ModifierFlags::shift) symbols += "⇧";
    if (modifiers & ModifierFlags::command) symbols += "⌘";
    return symbols;
}

std::uint32_t HotKey::carbonModifiers() const {
    return platform::CarbonModifiers::fromModifierFlags(modifiers);
}

std::string HotKey::displayText() const {
    return modifierSymbols() + KeyCodeName::name(keyCode);
}

platform::PropertyDictionary HotKey::dictionary() const {
    return {
        {keyCodeKey, platform::PropertyValue(static_cast<std::int64_t>(keyCode))},
        {modifiersKey, platform::PropertyValue(static_cast<std::int64_t>(modifiers))},
    };
}

std::optional<HotKey> HotKey::fromDictionary(const platform::PropertyDictionary& dictionary) {
    auto keyCode = integerEntry(dictionary, keyCodeKey);
    auto modifiers = integerEntry(dictionary, modifiersKey);
    if (!keyCode || !modifiers) return std::nullopt;
    // Out-of-range values are damage, not a shortcut; treat them as none stored.
    if (*keyCode < 0 || *keyCode > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    if (*modifiers < 0) return std::nullopt;
    return HotKey{static_cast<std::uint32_t>(*keyCode),
                  static_cast<std::uint64_t>(*modifiers) & ModifierFlags::mask};
}

namespace {

std::optional<std::uint64_t> servicesPrefix(const std::string& character) {
    if (character == "@") return ModifierFlags::command;
    if (character == "~") return ModifierFlags::option;
    if (character == "^") return ModifierFlags::control;
    if (character == "$") return ModifierFlags::shift;
    return std::nullopt;
}

bool isUppercase(const std::string& character) {
    return platform::unicode::lowercased(character) != character &&
           platform::unicode::uppercased(character) == character;
}

}  // namespace

std::optional<HotKey> HotKey::fromServicesKeyEquivalent(std::string_view text) {
    auto characters = platform::unicode::graphemes(text);
    std::uint64_t modifiers = 0;
    std::size_t prefixLength = 0;
    for (; prefixLength < characters.size(); ++prefixLength) {
        auto modifier = servicesPrefix(characters[prefixLength]);
        if (!modifier) break;
        modifiers |= *modifier;
    }
    if (prefixLength == 0) modifiers = ModifierFlags::command | ModifierFlags::shift;
    if (characters.size() != prefixLength + 1) return std::nullopt;

    const std::string& character = characters.back();
    if (isUppercase(character)) modifiers |= ModifierFlags::shift;
    auto keyCode = KeyCodeName::keyCode(platform::unicode::lowercased(character));
    if (!keyCode) return std::nullopt;
    return HotKey{*keyCode, modifiers & ModifierFlags::mask};
}

const std::vector<HotKey>& HotKey::defaultCandidates() {
    constexpr std::uint64_t controlOptionCommand =
        ModifierFlags::control | ModifierFlags::option | ModifierFlags::command;
    // M, B, H, T, Y, U by their US key positions.
    static const std::vector<HotKey> candidates = {
        {46, controlOptionCommand}, {11, controlOptionCommand}, {4, controlOptionCommand},
        {17, controlOptionCommand}, {16, controlOptionCommand}, {32, controlOptionCommand},
    };
    return candidates;
}
