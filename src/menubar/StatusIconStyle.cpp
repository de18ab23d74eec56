#include "menubar/StatusIconStyle.h"

namespace StatusIconStyles {

std::string_view rawValue(StatusIconStyle style) {
    switch (style) {
    case StatusIconStyle::menuBar: return "menuBar";
    case StatusIconStyle::arrows: return "arrows";
    case StatusIconStyle::chevrons: return "chevrons";
    case StatusIconStyle::triangles: return "triangles";
    case StatusIconStyle::eye: return "eye";
    case StatusIconStyle::pin: return "pin";
    case StatusIconStyle::bar: return "bar";
    }
    return "menuBar";
}

std::optional<StatusIconStyle> fromRawValue(std::string_view raw) {
    for (auto style : all) {
        if (rawValue(style) == raw) return style;
    }
    return std::nullopt;
}

}  // namespace StatusIconStyles
