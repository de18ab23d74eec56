#include "kit/StatusBarButton.h"

#include <algorithm>

namespace kit {

StatusBarButton::StatusBarButton(platform::StatusBar& statusBar, platform::StatusItemId item)
    : statusBar_(statusBar), item_(item) {}

void StatusBarButton::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    statusBar_.setIcon(item_, image_ ? iconPixmaps(*image_) : std::vector<platform::PixelImage>{});
}

void StatusBarButton::setTitle(std::string title) {
    title_ = std::move(title);
    statusBar_.setTitle(item_, title_);
}

void StatusBarButton::setToolTip(std::string toolTip) {
    toolTip_ = std::move(toolTip);
    statusBar_.setToolTip(item_, toolTip_);
}

// The image's longer side fills the square.
std::vector<platform::PixelImage> StatusBarButton::iconPixmaps(const Image& image) {
    double side = std::max(image.size().width, image.size().height);
    if (side <= 0) return {};
    std::optional<Color> tint;
    if (image.isTemplate()) tint = Color::black();
    std::vector<platform::PixelImage> pixmaps;
    for (int pixels : iconPixelSizes) pixmaps.push_back(image.render(pixels / side, tint).image());
    return pixmaps;
}

}  // namespace kit
