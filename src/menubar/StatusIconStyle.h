#pragma once

// The looks the status icon can take, stored by their raw values.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "kit/Image.h"

enum class StatusIconStyle { menuBar, arrows, chevrons, triangles, eye, pin, bar };

namespace StatusIconStyles {

inline constexpr std::array<StatusIconStyle, 7> all = {
    StatusIconStyle::menuBar, StatusIconStyle::arrows, StatusIconStyle::chevrons,
    StatusIconStyle::triangles, StatusIconStyle::eye, StatusIconStyle::pin,
    StatusIconStyle::bar};

std::string_view rawValue(StatusIconStyle style);
// Exact, case-sensitive match; absent for anything else.
std::optional<StatusIconStyle> fromRawValue(std::string_view raw);

inline constexpr const char* autoHideOnDescription = "Menu bar auto-hide is on";
inline constexpr const char* autoHideOffDescription = "Menu bar auto-hide is off";

// The symbol names a style shows while auto-hide is on (the bar is hidden)
// and while it is off.
struct Symbols {
    std::string_view hidden;
    std::string_view visible;
};
Symbols symbols(StatusIconStyle style);

// The style's picture of the state, described for accessibility; absent
// when we have no drawing of that symbol.
std::optional<kit::Image> image(StatusIconStyle style, bool autoHideOn);

}  // namespace StatusIconStyles
