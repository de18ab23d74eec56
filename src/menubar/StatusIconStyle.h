#pragma once

// The looks the status icon can take, stored by their raw values.

#include <array>
#include <optional>
#include <string>
#include <string_view>

enum class StatusIconStyle { menuBar, arrows, chevrons, triangles, eye, pin, bar };

namespace StatusIconStyles {

inline constexpr std::array<StatusIconStyle, 7> all = {
    StatusIconStyle::menuBar, StatusIconStyle::arrows, StatusIconStyle::chevrons,
    StatusIconStyle::triangles, StatusIconStyle::eye, StatusIconStyle::pin,
    StatusIconStyle::bar};

std::string_view rawValue(StatusIconStyle style);
// Exact, case-sensitive match; absent for anything else.
std::optional<StatusIconStyle> fromRawValue(std::string_view raw);

}  // namespace StatusIconStyles
