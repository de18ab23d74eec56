#include "platform/PropertyValue.h"

namespace platform {

PropertyValue::PropertyValue(PropertyArray array)
    : storage_(std::make_shared<const PropertyArray>(std::move(array))) {}

PropertyValue::PropertyValue(PropertyDictionary dictionary)
    : storage_(std::make_shared<const PropertyDictionary>(std::move(dictionary))) {}

const PropertyArray* PropertyValue::array() const {
    auto* shared = std::get_if<SharedArray>(&storage_);
    return shared ? shared->get() : nullptr;
}

const PropertyDictionary* PropertyValue::dictionary() const {
    auto* shared = std::get_if<SharedDictionary>(&storage_);
    return shared ? shared->get() : nullptr;
}

bool PropertyValue::operator==(const PropertyValue& other) const {
    if (storage_.index() != other.storage_.index()) return false;
    if (auto* mine = array()) return mine == other.array() || *mine == *other.array();
    if (auto* mine = dictionary()) {
        return mine == other.dictionary() || *mine == *other.dictionary();
    }
    return storage_ == other.storage_;
}

std::optional<std::int64_t> PropertyValue::integer() const {
    if (auto* value = std::get_if<std::int64_t>(&storage_)) return *value;
    return std::nullopt;
}

std::optional<double> PropertyValue::real() const {
    if (auto* value = std::get_if<double>(&storage_)) return *value;
    return std::nullopt;
}

std::optional<bool> PropertyValue::boolean() const {
    if (auto* value = std::get_if<bool>(&storage_)) return *value;
    return std::nullopt;
}

std::optional<Date> PropertyValue::date() const {
    if (auto* value = std::get_if<Date>(&storage_)) return *value;
    return std::nullopt;
}

bool PropertyValue::isNumber() const {
    return std::holds_alternative<bool>(storage_) || std::holds_alternative<std::int64_t>(storage_) ||
           std::holds_alternative<double>(storage_);
}

std::optional<bool> PropertyValue::numberAsBool() const {
    if (auto value = boolean()) return *value;
    if (auto value = integer()) return *value != 0;
    if (auto value = real()) return *value != 0.0;
    return std::nullopt;
}

const PropertyValue* find(const PropertyDictionary& dictionary, const std::string& key) {
    auto found = dictionary.find(key);
    return found == dictionary.end() ? nullptr : &found->second;
}

}  // namespace platform
