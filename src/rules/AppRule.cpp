#include "rules/AppRule.h"

#include "platform/Platform.h"
#include "platform/Unicode.h"

namespace {

using platform::PropertyDictionary;
using platform::PropertyValue;

bool sameText(const std::string& a, const std::string& b) {
    return a == b || platform::unicode::canonicallyEqual(a, b);
}

const std::string* textEntry(const PropertyDictionary& dictionary, const std::string& key) {
    auto* value = platform::find(dictionary, key);
    return value ? value->text() : nullptr;
}

bool isDictionary(const PropertyValue& element) { return element.dictionary() != nullptr; }

// Recent apps are kept as dictionaries of text only.
bool isTextDictionary(const PropertyValue& element) {
    auto* dictionary = element.dictionary();
    if (!dictionary) return false;
    for (const auto& [key, value] : *dictionary) {
        if (!value.text()) return false;
    }
    return true;
}

template <typename Record>
std::vector<Record> readList(const std::optional<PropertyValue>& stored,
                             bool (*elementFits)(const PropertyValue&)) {
    if (!stored || !stored->array()) return {};
    const auto& array = *stored->array();
    for (const auto& element : array) {
        if (!elementFits(element)) return {};
    }
    std::vector<Record> records;
    for (const auto& element : array) {
        if (auto record = Record::fromDictionary(*element.dictionary())) records.push_back(*record);
    }
    return records;
}

template <typename Record>
platform::PropertyArray writeList(const std::vector<Record>& records) {
    platform::PropertyArray array;
    for (const auto& record : records) array.emplace_back(record.dictionary());
    return array;
}

}  // namespace

bool AppRule::operator==(const AppRule& other) const {
    return autoHide == other.autoHide && sameText(bundleID, other.bundleID) &&
           sameText(name, other.name);
}

PropertyDictionary AppRule::dictionary() const {
    return {{"bundleID", bundleID}, {"name", name}, {"autoHide", autoHide}};
}

std::optional<AppRule> AppRule::fromDictionary(const PropertyDictionary& dictionary) {
    auto* bundleID = textEntry(dictionary, "bundleID");
    if (!bundleID) return std::nullopt;
    auto* autoHide = platform::find(dictionary, "autoHide");
    if (!autoHide || !autoHide->boolean()) return std::nullopt;
    auto* name = textEntry(dictionary, "name");
    return AppRule{*bundleID, name ? *name : *bundleID, *autoHide->boolean()};
}

bool AppRef::operator==(const AppRef& other) const {
    return sameText(bundleID, other.bundleID) && sameText(name, other.name);
}

PropertyDictionary AppRef::dictionary() const { return {{"bundleID", bundleID}, {"name", name}}; }

std::optional<AppRef> AppRef::fromDictionary(const PropertyDictionary& dictionary) {
    auto* bundleID = textEntry(dictionary, "bundleID");
    auto* name = textEntry(dictionary, "name");
    if (!bundleID || !name) return std::nullopt;
    return AppRef{*bundleID, *name};
}

kit::Image AppRef::icon(const std::string& bundleID) {
    auto path = platform::current().workspace.applicationPath(bundleID);
    auto installed = path ? iconAt(*path) : std::nullopt;
    return installed ? *installed : kit::Image::genericApplicationIcon();
}

std::optional<kit::Image> AppRef::iconAt(const std::string& applicationPath) {
    auto file = platform::current().workspace.applicationIconFile(applicationPath);
    if (!file) return std::nullopt;
    return kit::Image::fromPNGFile(*file);
}

std::vector<AppRule> appRulesFromStored(const std::optional<PropertyValue>& stored) {
    return readList<AppRule>(stored, isDictionary);
}

std::vector<AppRef> appRefsFromStored(const std::optional<PropertyValue>& stored) {
    return readList<AppRef>(stored, isTextDictionary);
}

platform::PropertyArray storedForm(const std::vector<AppRule>& rules) { return writeList(rules); }

platform::PropertyArray storedForm(const std::vector<AppRef>& apps) { return writeList(apps); }
