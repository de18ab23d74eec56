#pragma once

// Colours as red, green, blue and alpha from 0 to 1, and the desktop's
// semantic colours in their light appearance.

namespace kit {

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static constexpr Color rgb(int red, int green, int blue, double alpha = 1) {
        return {red / 255.0, green / 255.0, blue / 255.0, alpha};
    }
    constexpr Color withAlpha(double newAlpha) const { return {red, green, blue, newAlpha}; }
    bool operator==(const Color&) const = default;

    static Color clear() { return {0, 0, 0, 0}; }
    static Color white() { return {1, 1, 1, 1}; }
    static Color black() { return {0, 0, 0, 1}; }

    // Text.
    static Color labelColor();
    static Color secondaryLabelColor();
    static Color tertiaryLabelColor();
    static Color placeholderTextColor();
    static Color disabledControlTextColor();
    static Color linkColor();
    static Color systemRedColor();
    // Surfaces and lines.
    static Color windowBackgroundColor();
    static Color controlBackgroundColor();
    static Color controlColor();  // the face of buttons and pop-ups
    static Color separatorColor();
    static Color gridColor();
    static Color controlAccentColor();
    static Color selectedContentBackgroundColor();
    static Color alternatingContentBackgroundColor();  // every other table row
    static Color titleBarColor();
};

}  // namespace kit
