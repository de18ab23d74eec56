#include "core/AppIcon.h"

#include "kit/GraphicsContext.h"

namespace AppIcon {

kit::Image image() {
    constexpr double side = 128;
    kit::Bitmap bitmap(static_cast<int>(side), static_cast<int>(side));
    {
        kit::GraphicsContext context(bitmap, 1);
        context.fillRoundedRect({8, 8, side - 16, side - 16}, 26, kit::Color::controlAccentColor());
        if (auto symbol = kit::Image::symbol("menubar.rectangle")) {
            context.drawImage(*symbol, {28, 28, side - 56, side - 56}, kit::Color{1, 1, 1, 1});
        }
    }
    return kit::Image::fromBitmap(std::move(bitmap), {side, side});
}

}  // namespace AppIcon
