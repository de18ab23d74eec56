#pragma once

// Pictures the toolkit shows: symbols (our own vector drawings, one per symbol
// name the program uses, drawn in whatever colour they are tinted with) and
// bitmaps (application icons). Images are values; copies share their pixels.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "kit/Bitmap.h"
#include "kit/Color.h"
#include "kit/Geometry.h"

namespace kit {

class GraphicsContext;

class Image {
public:
    // Absent for a name we have no drawing for.
    static std::optional<Image> symbol(std::string_view name, std::string accessibilityDescription = "");
    static Image genericApplicationIcon();
    static Image fromBitmap(Bitmap bitmap, Size size);
    // A picture file, one point a pixel; see Bitmap::readImageFile.
    static std::optional<Image> fromFile(const std::string& path, int scalablePixels);
    // The icon the desktop shows for the application (a bundle or a desktop
    // entry) at `applicationPath`; absent when it has none we can read.
    static std::optional<Image> applicationIcon(const std::string& applicationPath);

    // Empty for images that are not symbols.
    const std::string& symbolName() const { return symbolName_; }
    const std::string& accessibilityDescription() const { return description_; }
    void setAccessibilityDescription(std::string description) { description_ = std::move(description); }
    // The size it is drawn at when nobody asks otherwise.
    Size size() const { return size_; }
    void setSize(Size size) { size_ = size; }
    // Symbols take the tint (or the label colour); bitmaps keep their colours.
    bool isTemplate() const { return !symbolName_.empty(); }

    // Draws into `rect`, scaled to fill it.
    void draw(GraphicsContext& context, const Rect& rect, std::optional<Color> tint = {}) const;
    // Rendered on its own, e.g. for the status area.
    Bitmap render(double scale, std::optional<Color> tint = {}) const;

    bool operator==(const Image& other) const;

private:
    Image() = default;
    std::string symbolName_;
    std::string description_;
    Size size_;
    std::shared_ptr<const Bitmap> bitmap_;
};

}  // namespace kit
