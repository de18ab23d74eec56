#include "kit/ImageView.h"

#include <algorithm>
#include <cmath>

#include "kit/GraphicsContext.h"

namespace kit {

ImageView::ImageView(std::optional<Image> image) {
    setAccessibilityRole("image");
    setImage(std::move(image));
}

void ImageView::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    setAccessibilityLabel(image_ ? image_->accessibilityDescription() : "");
    setNeedsDisplay();
}

void ImageView::setImageScaling(ImageScaling scaling) {
    imageScaling_ = scaling;
    setNeedsDisplay();
}

void ImageView::setContentTintColor(std::optional<Color> color) {
    contentTintColor_ = color;
    setNeedsDisplay();
}

Size ImageView::scaledImageSize() const {
    Size natural = image_->size();
    if (imageScaling_ == ImageScaling::none || natural.width <= 0 || natural.height <= 0)
        return natural;
    double fit = std::min(bounds().width() / natural.width, bounds().height() / natural.height);
    if (imageScaling_ == ImageScaling::proportionallyDown) fit = std::min(fit, 1.0);
    return {natural.width * fit, natural.height * fit};
}

// Whole points keep the image's edges sharp.
Rect ImageView::imageRect() const {
    if (!image_) return {};
    Size size = scaledImageSize();
    return {std::round((bounds().width() - size.width) / 2),
            std::round((bounds().height() - size.height) / 2), size.width, size.height};
}

void ImageView::draw(GraphicsContext& context) {
    if (!image_) return;
    std::optional<Color> tint = image_->isTemplate() ? contentTintColor_ : std::nullopt;
    if (image_->isTemplate() && backgroundStyle() == BackgroundStyle::emphasized) {
        tint = Color::white();
    }
    context.drawImage(*image_, imageRect(), tint);
}

Size ImageView::intrinsicContentSize() const {
    if (!image_) return {noIntrinsicMetric, noIntrinsicMetric};
    return image_->size();
}

}  // namespace kit
