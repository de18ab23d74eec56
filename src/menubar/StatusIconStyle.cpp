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

Symbols symbols(StatusIconStyle style) {
    switch (style) {
    case StatusIconStyle::menuBar: return {"menubar.arrow.up.rectangle", "menubar.rectangle"};
    case StatusIconStyle::arrows: return {"arrow.up.to.line", "arrow.down.to.line"};
    case StatusIconStyle::chevrons: return {"chevron.up", "chevron.down"};
    case StatusIconStyle::triangles: return {"arrowtriangle.up.fill", "arrowtriangle.down.fill"};
    case StatusIconStyle::eye: return {"eye.slash", "eye"};
    case StatusIconStyle::pin: return {"pin.slash", "pin"};
    case StatusIconStyle::bar: return {"rectangle.dashed", "rectangle.topthird.inset.filled"};
    }
    return symbols(StatusIconStyle::menuBar);
}

std::optional<kit::Image> image(StatusIconStyle style, bool autoHideOn) {
    auto pair = symbols(style);
    if (autoHideOn) return kit::Image::symbol(pair.hidden, autoHideOnDescription);
    return kit::Image::symbol(pair.visible, autoHideOffDescription);
}

}  // namespace StatusIconStyles
