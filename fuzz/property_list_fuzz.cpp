// Feeds arbitrary bytes to the property-list reader; whatever it accepts must
// survive being written as XML and read back.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "host/PropertyList.h"

namespace {

using platform::PropertyValue;

// 0001-01-01 and 9999-12-31T23:59:59 UTC, the range XML dates hold.
constexpr double earliestDate = -63113904000.0;
constexpr double latestDate = 252423993599.0;

bool sameReal(double written, double read) {
    if (std::isnan(written)) return std::isnan(read);
    return written == read;
}

// XML keeps whole seconds, truncated; dates outside its range come back as
// one of its ends.
bool sameDate(double written, double read) {
    if (read < earliestDate || read > latestDate || read != std::trunc(read)) return false;
    if (written >= earliestDate && written <= latestDate) return read == std::trunc(written);
    return true;
}

bool sameAfterRoundTrip(const PropertyValue& written, const PropertyValue& read) {
    if (written.storage().index() != read.storage().index()) return false;
    if (auto real = written.real()) return sameReal(*real, *read.real());
    if (auto date = written.date()) {
        return sameDate(date->secondsSinceReferenceDate, read.date()->secondsSinceReferenceDate);
    }
    if (const auto* array = written.array()) {
        const auto& other = *read.array();
        if (array->size() != other.size()) return false;
        for (std::size_t i = 0; i < array->size(); ++i) {
            if (!sameAfterRoundTrip((*array)[i], other[i])) return false;
        }
        return true;
    }
    if (const auto* dictionary = written.dictionary()) {
        const auto& other = *read.dictionary();
        if (dictionary->size() != other.size()) return false;
        for (auto left = dictionary->begin(), right = other.begin(); left != dictionary->end();
             ++left, ++right) {
            if (left->first != right->first) return false;
            if (!sameAfterRoundTrip(left->second, right->second)) return false;
        }
        return true;
    }
    return written == read;
}

std::optional<PropertyValue> parse(const std::string& text) {
    return host::parsePropertyList(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

[[noreturn]] void fail(const char* what, const std::string& xml) {
    std::fprintf(stderr, "%s\n%s\n", what, xml.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto value = host::parsePropertyList(std::span(data, size));
    // What XML cannot hold is never written: a write with it fails.
    if (!value || host::firstUnstorableText(*value)) return 0;
    std::string xml = host::xmlPropertyList(*value);
    auto again = parse(xml);
    if (!again) fail("written XML does not parse", xml);
    if (!sameAfterRoundTrip(*value, *again)) fail("value changed through XML", xml);
    // Once through XML, the form is stable.
    if (host::xmlPropertyList(*again) != xml) fail("XML differs when written again", xml);
    return 0;
}
