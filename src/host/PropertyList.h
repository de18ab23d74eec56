#pragma once

// Property-list files through libplist: XML or binary in, XML out.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/PropertyValue.h"

namespace host {

// Absent when the bytes are not a property list.
std::optional<platform::PropertyValue> parsePropertyList(std::span<const std::uint8_t> bytes);
std::optional<platform::PropertyValue> readPropertyListFile(const std::string& path);
// The first key or text that an XML property list cannot hold as it is:
// ill-formed UTF-8, or characters XML does not allow (controls but tab, line
// feed and carriage return, NUL among them); absent when there is none.
std::optional<std::string> firstUnstorableText(const platform::PropertyValue& value);
// The XML form of a value.
std::string xmlPropertyList(const platform::PropertyValue& value);

}  // namespace host
