#include "host/HostSymbolicHotKeys.h"

#include <charconv>
#include <cstdint>
#include <map>
#include <utility>

#include "platform/ModifierFlags.h"

namespace host {

namespace {

using platform::NumberedSymbolicHotKey;
using platform::PropertyDictionary;
using platform::PropertyValue;
namespace Keys = platform::SymbolicHotKeyKeys;

struct Combination {
    std::int64_t keyCode = 0;
    std::int64_t carbonModifiers = 0;
};

// What a stored entry says about the shortcut of its number.
struct Change {
    bool enabled = false;
    std::optional<Combination> combination;  // absent: the keys stay as they are
};

std::optional<std::int64_t> numberOf(const std::string& key) {
    std::int64_t number = 0;
    auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), number);
    if (error != std::errc() || end != key.data() + key.size()) return std::nullopt;
    return number;
}

// {parameters = (character, key code, modifier flags)}
std::optional<Combination> combinationOf(const PropertyValue& value) {
    auto* dictionary = value.dictionary();
    auto* parameters = dictionary ? platform::find(*dictionary, "parameters") : nullptr;
    auto* list = parameters ? parameters->array() : nullptr;
    if (!list || list->size() < 3) return std::nullopt;
    auto keyCode = (*list)[1].integer();
    auto flags = (*list)[2].integer();
    if (!keyCode || !flags || *flags < 0) return std::nullopt;
    return Combination{
        *keyCode, platform::CarbonModifiers::fromModifierFlags(static_cast<std::uint64_t>(*flags))};
}

// Absent for a damaged entry. An entry without `value` only switches its
// shortcut on or off.
std::optional<Change> changeOf(const PropertyValue& stored) {
    auto* entry = stored.dictionary();
    if (!entry) return std::nullopt;
    auto* enabled = platform::find(*entry, "enabled");
    if (!enabled || !enabled->boolean()) return std::nullopt;
    Change change{*enabled->boolean(), std::nullopt};
    auto* value = platform::find(*entry, "value");
    if (!value) return change;
    change.combination = combinationOf(*value);
    if (!change.combination) return std::nullopt;
    return change;
}

void applyChange(const Change& change, PropertyDictionary& entry) {
    entry.insert_or_assign(Keys::enabled, change.enabled);
    if (!change.combination) return;
    entry.insert_or_assign(Keys::code, change.combination->keyCode);
    entry.insert_or_assign(Keys::modifiers, change.combination->carbonModifiers);
}

std::map<std::int64_t, Change> changesOf(const PropertyDictionary& stored) {
    std::map<std::int64_t, Change> changes;
    for (const auto& [key, value] : stored) {
        auto number = numberOf(key);
        auto change = changeOf(value);
        if (number && change) changes.emplace(*number, *change);
    }
    return changes;
}

void applyAll(std::map<std::int64_t, Change> changes,
              std::vector<NumberedSymbolicHotKey>& shortcuts) {
    for (auto& shortcut : shortcuts) {
        auto found = changes.find(shortcut.number);
        if (found == changes.end()) continue;
        applyChange(found->second, shortcut.entry);
        changes.erase(found);
    }
    for (const auto& [number, change] : changes) {
        if (!change.combination) continue;  // a shortcut of no keys uses none
        NumberedSymbolicHotKey added{number, {}};
        applyChange(change, added.entry);
        shortcuts.push_back(std::move(added));
    }
}

}  // namespace

std::optional<PropertyValue> HostSymbolicHotKeys::copySymbolicHotKeys() {
    auto shortcuts = factorySet_;
    auto stored = preferences_.copyValue(domain, key);
    if (stored && stored->dictionary()) applyAll(changesOf(*stored->dictionary()), shortcuts);
    platform::PropertyArray answer;
    for (auto& shortcut : shortcuts) answer.emplace_back(std::move(shortcut.entry));
    return PropertyValue(std::move(answer));
}

}  // namespace host
