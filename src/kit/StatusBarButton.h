#pragma once

// What a status item shows in the desktop's status area: an image, else a
// short title, and a tooltip. Each change goes to the status bar at once.
//
// The image goes over as pixmaps of 16, 22 and 32 pixels square, the sizes
// panels ask for most (small and regular panels, and 2× screens); panels
// pick the nearest. Template images (symbols) are drawn black, or white on a
// dark status area; bitmaps keep their colours.

#include <optional>
#include <string>
#include <vector>

#include "kit/Image.h"
#include "platform/StatusBar.h"

namespace kit {

class StatusBarButton {
public:
    static constexpr int iconPixelSizes[] = {16, 22, 32};

    StatusBarButton(platform::StatusBar& statusBar, platform::StatusItemId item);

    const std::optional<Image>& image() const { return image_; }
    // None shows the title instead.
    void setImage(std::optional<Image> image);
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string toolTip);
    // Draws the image again for the status area's new appearance.
    void appearanceChanged();

private:
    std::vector<platform::PixelImage> iconPixmaps(const Image& image) const;

    platform::StatusBar& statusBar_;
    platform::StatusItemId item_;
    std::optional<Image> image_;
    std::string title_;
    std::string toolTip_;
};

}  // namespace kit
