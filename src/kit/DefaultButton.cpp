#include "kit/DefaultButton.h"

#include <algorithm>

#include "kit/GraphicsContext.h"
#include "kit/TextLayout.h"

namespace kit {
namespace {

// The corners and title padding of the plain push buttons beside it.
double cornerRadius(ControlSize size) {
    return size == ControlSize::small ? 4 : 5;
}
double titlePadding(ControlSize size) {
    return size == ControlSize::small ? 10 : 12;
}

}  // namespace

// Disabled, it looks like any other button that cannot be pressed.
void DefaultButton::draw(GraphicsContext& context) {
    if (!isEnabled()) return Button::draw(context);
    double radius = cornerRadius(controlSize());
    Rect face = bezelFace(bounds(), intrinsicContentSize().height);
    context.fillRoundedRect(face.offsetBy(0, bezelShadowDepth / 2), radius,
                            Color::black().withAlpha(0.1));
    context.fillRoundedRect(face, radius, Color::controlAccentColor());
    if (isHighlighted()) context.fillRoundedRect(face, radius, Color::black().withAlpha(0.15));

    TextLayout layout(title(), font());
    double room = std::max(0.0, face.width() - 2 * titlePadding(controlSize()));
    if (layout.size().width > room) layout.setTruncationWidth(room);
    Size size = layout.size();
    context.drawText(layout, {face.midX() - size.width / 2, face.midY() - size.height / 2},
                     Color::white());
}

}  // namespace kit
