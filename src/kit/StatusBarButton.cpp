#include "kit/StatusBarButton.h"

#include <algorithm>

namespace kit {

StatusBarButton::StatusBarButton(platform::StatusBar& statusBar, platform::StatusItemId item)
    : statusBar_(statusBar), item_(item) {}

void StatusBarButton::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    statusBar_.setIcon(item_, image_ ? iconPixmaps(*image_) : std::vector<platform::PixelImage>{});
}

void StatusBarButton::appearanceChanged() { setImage(image_); }

void StatusBarButton::setTitle(std::string title) {
    title_ = std::move(title);
    statusBar_.setTitle(item_, title_);
}

void StatusBarButton::setToolTip(std::string toolTip) {
    toolTip_ = std::move(toolTip);
    statusBar_.setToolTip(item_, toolTip_);
}

// The image's longer side fills the square. A symbol takes the colour that
// stands out on the status area: black on a light one, white on a dark one.
std::vector<platform::PixelImage> StatusBarButton::iconPixmaps(const Image& image) const {
    double side = std::max(image.size().width, image.size().height);
    if (side <= 0) return {};
    std::optional<Color> tint;
    if (image.isTemplate()) tint = statusBar_.isDark() ? Color::white() : Color::black();
    std::vector<platform::PixelImage> pixmaps;
    for (int pixels : iconPixelSizes) pixmaps.push_back(image.render(pixels / side, tint).image());
    return pixmaps;
}

}  // namespace kit
