#include "host/HostSymbolicHotKeys.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

namespace host {

namespace {

namespace Keys = platform::SymbolicHotKeyKeys;

// Stored numbers order the list as the system would: numerically, with keys
// that are no number after them.
std::int64_t orderOf(const std::string& number) {
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) return INT64_MAX;
    return value;
}

const platform::PropertyArray* parametersOf(const platform::PropertyDictionary& entry) {
    auto* value = platform::find(entry, "value");
    if (!value || !value->dictionary()) return nullptr;
    auto* parameters = platform::find(*value->dictionary(), "parameters");
    if (!parameters) return nullptr;
    return parameters->array();
}

// One stored entry in the system's answer form. Pieces that are missing or
// of the wrong type are left out, so readers drop the entry.
platform::PropertyDictionary converted(const platform::PropertyDictionary& entry) {
    platform::PropertyDictionary result;
    if (auto* enabled = platform::find(entry, "enabled"); enabled && enabled->boolean()) {
        result.emplace(Keys::enabled, *enabled);
    }
    auto* parameters = parametersOf(entry);
    if (!parameters || parameters->size() < 3) return result;
    if (auto code = (*parameters)[1].integer()) result.emplace(Keys::code, *code);
    if (auto modifiers = (*parameters)[2].integer()) result.emplace(Keys::modifiers, *modifiers);
    return result;
}

}  // namespace

std::optional<platform::PropertyValue> HostSymbolicHotKeys::copySymbolicHotKeys() {
    auto stored = preferences_.copyValue(domain, key);
    if (!stored || !stored->dictionary()) return platform::PropertyValue(factorySet_);

    std::vector<std::pair<std::int64_t, const platform::PropertyValue*>> ordered;
    for (const auto& [number, entry] : *stored->dictionary()) ordered.emplace_back(orderOf(number), &entry);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    platform::PropertyArray result;
    for (const auto& [order, entry] : ordered) {
        // A damaged entry is skipped, as the system skips it; it must not
        // make the whole list unreadable.
        if (!entry->dictionary()) continue;
        result.emplace_back(converted(*entry->dictionary()));
    }
    return platform::PropertyValue(std::move(result));
}

}  // namespace host
