#pragma once

// Fonts by family, size in points and weight. The system font is Inter.

#include <string>

namespace kit {

struct Font {
    enum class Weight { regular, medium, semibold, bold };

    static constexpr double systemFontSize = 13;
    static constexpr double smallSystemFontSize = 11;

    std::string family = "Inter";
    double pointSize = systemFontSize;
    Weight weight = Weight::regular;

    static Font systemFont(double pointSize = systemFontSize) { return {"Inter", pointSize, Weight::regular}; }
    static Font boldSystemFont(double pointSize = systemFontSize) {
        return {"Inter", pointSize, Weight::semibold};
    }
    bool operator==(const Font&) const = default;
};

}  // namespace kit
