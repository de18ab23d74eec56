#include "rules/AppRule.h"

#include <mutex>
#include <set>

#include "platform/Logger.h"
#include "platform/Platform.h"
#include "platform/Unicode.h"

namespace {

using platform::PropertyDictionary;
using platform::PropertyValue;

// Bounds on what is read back. Past them a list or an entry is a fault of
// whatever wrote it: it is left out (and left as it is stored), not spent
// seconds and memory on.
constexpr std::size_t mostStoredRecords = 2000;
constexpr std::size_t longestStoredText = 4096;

// Lists are read often (every application switch); each fault is said once.
void reportOnce(const std::string& line) {
    static std::mutex mutex;
    static std::set<std::string> said;
    std::lock_guard lock(mutex);
    if (said.insert(line).second) Log::app().error(line);
}

bool withinTextBounds(const PropertyDictionary& dictionary, const char* what) {
    for (const auto& [key, value] : dictionary) {
        auto* text = value.text();
        if (!text || text->size() <= longestStoredText) continue;
        reportOnce(std::string("A stored ") + what + " was skipped: its \"" + key + "\" is " +
                   std::to_string(text->size()) + " bytes, over the " +
                   std::to_string(longestStoredText) + " we read");
        return false;
    }
    return true;
}

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

// `what` names one record in the log, `whatPlural` the list.
template <typename Record>
std::vector<Record> readList(const std::optional<PropertyValue>& stored,
                             bool (*elementFits)(const PropertyValue&), const char* what,
                             const char* whatPlural) {
    if (!stored || !stored->array()) return {};
    const auto& array = *stored->array();
    if (array.size() > mostStoredRecords) {
        reportOnce(std::string("The stored ") + whatPlural + " hold " + std::to_string(array.size()) +
                   " entries, over the " + std::to_string(mostStoredRecords) +
                   " we read; none are used");
        return {};
    }
    for (const auto& element : array) {
        if (!elementFits(element)) return {};
    }
    std::vector<Record> records;
    for (const auto& element : array) {
        if (!withinTextBounds(*element.dictionary(), what)) continue;
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
    return kit::Image::applicationIcon(applicationPath);
}

std::vector<AppRule> appRulesFromStored(const std::optional<PropertyValue>& stored) {
    return readList<AppRule>(stored, isDictionary, "app rule", "app rules");
}

std::vector<AppRef> appRefsFromStored(const std::optional<PropertyValue>& stored) {
    return readList<AppRef>(stored, isTextDictionary, "recent app", "recent apps");
}

platform::PropertyArray storedForm(const std::vector<AppRule>& rules) { return writeList(rules); }

platform::PropertyArray storedForm(const std::vector<AppRef>& apps) { return writeList(apps); }
