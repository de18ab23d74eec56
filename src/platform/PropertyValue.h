#pragma once

// The value types the desktop hands over as property lists: stored
// preferences, window-list entries, symbolic hot keys, tool output.
// Booleans and numbers stay distinct; typed accessors answer "absent" for a
// value of another type. Values never change once made, so arrays and
// dictionaries are shared between copies: copying a window list or a
// settings file's contents costs the same however large it is.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// Seconds since 2001-01-01 00:00:00 UTC, the property-list epoch.
struct Date {
    double secondsSinceReferenceDate = 0;
    bool operator==(const Date&) const = default;
};

using Data = std::vector<std::uint8_t>;

class PropertyValue;
using PropertyArray = std::vector<PropertyValue>;
using PropertyDictionary = std::map<std::string, PropertyValue>;

class PropertyValue {
public:
    using SharedArray = std::shared_ptr<const PropertyArray>;
    using SharedDictionary = std::shared_ptr<const PropertyDictionary>;
    using Storage = std::variant<std::string, std::int64_t, double, bool, Date, Data, SharedArray,
                                 SharedDictionary>;

    PropertyValue(std::string text) : storage_(std::move(text)) {}
    PropertyValue(const char* text) : storage_(std::string(text)) {}
    PropertyValue(std::int64_t integer) : storage_(integer) {}
    PropertyValue(int integer) : storage_(std::int64_t{integer}) {}
    PropertyValue(double real) : storage_(real) {}
    PropertyValue(bool boolean) : storage_(boolean) {}
    PropertyValue(Date date) : storage_(date) {}
    PropertyValue(Data data) : storage_(std::move(data)) {}
    PropertyValue(PropertyArray array);
    PropertyValue(PropertyDictionary dictionary);

    const std::string* text() const { return std::get_if<std::string>(&storage_); }
    std::optional<std::int64_t> integer() const;
    std::optional<double> real() const;
    std::optional<bool> boolean() const;
    std::optional<Date> date() const;
    const Data* data() const { return std::get_if<Data>(&storage_); }
    const PropertyArray* array() const;
    const PropertyDictionary* dictionary() const;

    // A number in the sense of the desktop's number objects: booleans,
    // integers and reals. Its truth is "not zero".
    bool isNumber() const;
    std::optional<bool> numberAsBool() const;

    const Storage& storage() const { return storage_; }
    // Equal values, not the same shared storage.
    bool operator==(const PropertyValue& other) const;

private:
    Storage storage_;
};

// Looks up a key of a dictionary; absent when the key is missing.
const PropertyValue* find(const PropertyDictionary& dictionary, const std::string& key);

}  // namespace platform
