#include "kit/Color.h"

namespace kit {
namespace {

enum class Role {
    label,
    secondaryLabel,
    tertiaryLabel,
    placeholderText,
    disabledControlText,
    link,
    systemRed,
    windowBackground,
    controlBackground,
    control,
    separator,
    grid,
    controlAccent,
    selectedContentBackground,
    alternatingContentBackground,
    titleBar,
};

constexpr Color black(double alpha) {
    return {0, 0, 0, alpha};
}

// The light appearance in one place, so a dark one can later sit beside it.
constexpr Color lightAppearance(Role role) {
    // clang-format off
    switch (role) {
        case Role::label: return black(0.85);
        case Role::secondaryLabel: return black(0.5);
        case Role::tertiaryLabel: return black(0.26);
        case Role::placeholderText: return black(0.25);
        case Role::disabledControlText: return black(0.25);
        case Role::link: return Color::rgb(0, 104, 218);
        case Role::systemRed: return Color::rgb(255, 59, 48);
        case Role::windowBackground: return Color::rgb(236, 236, 236);
        case Role::controlBackground: return Color::rgb(255, 255, 255);
        case Role::control: return Color::rgb(255, 255, 255);
        case Role::separator: return black(0.1);
        case Role::grid: return Color::rgb(230, 230, 230);
        case Role::controlAccent: return Color::rgb(0, 122, 255);
        case Role::selectedContentBackground: return Color::rgb(0, 99, 225);
        case Role::alternatingContentBackground: return Color::rgb(244, 245, 245);
        case Role::titleBar: return Color::rgb(232, 232, 232);
    }
    // clang-format on
    return black(1);
}

}  // namespace

Color Color::labelColor() {
    return lightAppearance(Role::label);
}
Color Color::secondaryLabelColor() {
    return lightAppearance(Role::secondaryLabel);
}
Color Color::tertiaryLabelColor() {
    return lightAppearance(Role::tertiaryLabel);
}
Color Color::placeholderTextColor() {
    return lightAppearance(Role::placeholderText);
}
Color Color::disabledControlTextColor() {
    return lightAppearance(Role::disabledControlText);
}
Color Color::linkColor() {
    return lightAppearance(Role::link);
}
Color Color::systemRedColor() {
    return lightAppearance(Role::systemRed);
}
Color Color::windowBackgroundColor() {
    return lightAppearance(Role::windowBackground);
}
Color Color::controlBackgroundColor() {
    return lightAppearance(Role::controlBackground);
}
Color Color::controlColor() {
    return lightAppearance(Role::control);
}
Color Color::separatorColor() {
    return lightAppearance(Role::separator);
}
Color Color::gridColor() {
    return lightAppearance(Role::grid);
}
Color Color::controlAccentColor() {
    return lightAppearance(Role::controlAccent);
}
Color Color::selectedContentBackgroundColor() {
    return lightAppearance(Role::selectedContentBackground);
}
Color Color::alternatingContentBackgroundColor() {
    return lightAppearance(Role::alternatingContentBackground);
}
Color Color::titleBarColor() {
    return lightAppearance(Role::titleBar);
}

}  // namespace kit
