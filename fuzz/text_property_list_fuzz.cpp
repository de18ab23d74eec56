// Feeds arbitrary bytes to the text property-list reader. It must answer
// without a crash; errors point inside the text; values hold only what the
// syntax can say, nest no deeper than the cap, and read the same wrapped in
// an array with space and a comment around them.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "shortcuts/TextPropertyList.h"

namespace {

using platform::PropertyValue;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The depth of the deepest array or dictionary, 0 for text and data; absent
// when the value holds a type this syntax has no way to write.
std::optional<std::size_t> depthOfTextSyntax(const PropertyValue& value) {
    if (value.text() || value.data()) return 0;
    std::size_t deepest = 0;
    auto visit = [&deepest](const PropertyValue& item) {
        auto depth = depthOfTextSyntax(item);
        if (depth) deepest = std::max(deepest, *depth);
        return depth.has_value();
    };
    if (const auto* array = value.array()) {
        for (const auto& item : *array) {
            if (!visit(item)) return std::nullopt;
        }
        return deepest + 1;
    }
    if (const auto* dictionary = value.dictionary()) {
        for (const auto& [key, item] : *dictionary) {
            if (!visit(item)) return std::nullopt;
        }
        return deepest + 1;
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto result = TextPropertyList::parse(text);
    if (const auto* error = std::get_if<TextPropertyList::ParseError>(&result)) {
        if (error->offset > size || error->message.empty()) fail("error outside the text");
        return 0;
    }
    const auto& value = std::get<PropertyValue>(result);
    auto depth = depthOfTextSyntax(value);
    if (!depth) fail("value of a type the syntax cannot write");
    if (*depth > TextPropertyList::maximumDepth) fail("nested deeper than the cap");
    if (*depth == TextPropertyList::maximumDepth) return 0;
    // The newline ends a trailing // comment before the closing parenthesis.
    std::string wrapped = "( /* wrapped */\n" + std::string(text) + "\n, )";
    auto again = TextPropertyList::parse(wrapped);
    const auto* array = std::get_if<PropertyValue>(&again);
    if (!array || !array->array() || *array->array() != platform::PropertyArray{value}) {
        fail("value changed when wrapped in an array");
    }
    return 0;
}
