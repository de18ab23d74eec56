#pragma once

// Shows one image centred in its bounds, scaled as asked; symbols take the
// tint colour.

#include <optional>

#include "kit/Color.h"
#include "kit/Image.h"
#include "kit/View.h"

namespace kit {

enum class ImageScaling { proportionallyDown, proportionallyUpOrDown, none };

class ImageView : public View {
public:
    explicit ImageView(std::optional<Image> image = std::nullopt);

    const std::optional<Image>& image() const { return image_; }
    // Also tells assistive technology the image's description.
    void setImage(std::optional<Image> image);
    ImageScaling imageScaling() const { return imageScaling_; }
    void setImageScaling(ImageScaling scaling);
    // For symbols; bitmaps keep their own colours. Absent: the label colour.
    const std::optional<Color>& contentTintColor() const { return contentTintColor_; }
    void setContentTintColor(std::optional<Color> color);

    // Where the image goes in the current bounds; empty without an image.
    Rect imageRect() const;

    void draw(GraphicsContext& context) override;
    Size intrinsicContentSize() const override;

private:
    Size scaledImageSize() const;

    std::optional<Image> image_;
    ImageScaling imageScaling_ = ImageScaling::proportionallyDown;
    std::optional<Color> contentTintColor_;
};

}  // namespace kit
