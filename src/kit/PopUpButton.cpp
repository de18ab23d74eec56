#include "kit/PopUpButton.h"

#include <algorithm>

#include "kit/Button.h"
#include "kit/GraphicsContext.h"
#include "kit/TextLayout.h"

namespace kit {
namespace {

struct PopUpMetrics {
    double height;
    double cornerRadius;
    double leadingPadding;
    double imageSide;
    double imageGap;       // between the image and the title
    double chevronGap;     // between the title and the chevrons
    double chevronSide;    // the square each chevron symbol is drawn in
    double chevronOffset;  // of each chevron's square from the middle
    double trailingPadding;
    double minimumWidth;
};
constexpr PopUpMetrics regularPopUp{22, 5, 8, 16, 4, 4, 10, 2.75, 5, 48};
constexpr PopUpMetrics smallPopUp{19, 4, 7, 14, 3, 3, 9, 2.5, 4, 40};

const PopUpMetrics& metricsFor(ControlSize size) {
    return size == ControlSize::small ? smallPopUp : regularPopUp;
}

bool isChoice(const MenuItem& item) {
    return !item.isSeparator() && !item.isSectionHeader();
}

}  // namespace

PopUpButton::PopUpButton() {
    setAccessibilityRole("popUpButton");
}

// Items.

MenuItem& PopUpButton::addItem(std::string title) {
    MenuItem& item = menu_.addItem(std::move(title), "", "");
    if (!selectedItem()) selectItem(numberOfItems() - 1);
    setNeedsDisplay();
    return item;
}

MenuItem* PopUpButton::itemAt(int index) const {
    if (index < 0) return nullptr;
    return menu_.item(static_cast<std::size_t>(index));
}

MenuItem* PopUpButton::lastItem() const {
    return itemAt(numberOfItems() - 1);
}

void PopUpButton::removeAllItems() {
    menu_.removeAllItems();
    selectedIndex_ = -1;
    setNeedsDisplay();
}

// Selection. The index is checked against the menu, which its owner may
// have changed behind our back.

MenuItem* PopUpButton::selectedItem() const {
    return itemAt(selectedIndex_);
}

int PopUpButton::indexOfSelectedItem() const {
    return selectedItem() ? selectedIndex_ : -1;
}

std::string PopUpButton::titleOfSelectedItem() const {
    MenuItem* item = selectedItem();
    return item ? item->title() : "";
}

void PopUpButton::selectItem(int index) {
    selectedIndex_ = itemAt(index) ? index : -1;
    for (int i = 0; i < numberOfItems(); ++i) {
        itemAt(i)->setState(i == selectedIndex_ ? ControlState::on : ControlState::off);
    }
    setNeedsDisplay();
}

bool PopUpButton::selectItemWithRepresentedObject(const platform::PropertyValue& value) {
    for (int i = 0; i < numberOfItems(); ++i) {
        if (itemAt(i)->representedObject() != value) continue;
        selectItem(i);
        return true;
    }
    return false;
}

// Events.

MenuItem* PopUpButton::presentMenu() {
    menu_.setFont(font());
    if (presenter_) return presenter_(menu_);
    return menu_.popUp(selectedItem(), {0, 0}, *this);
}

// The menu tracks the mouse itself, up to the release that chooses.
void PopUpButton::mouseDown(const Event&) {
    if (!isEnabled()) return;
    highlighted_ = true;
    setNeedsDisplay();
    MenuItem* chosen = presentMenu();
    highlighted_ = false;
    setNeedsDisplay();
    if (!chosen) return;
    auto index = menu_.indexOf(*chosen);
    if (!index || !isChoice(*chosen)) return;
    selectItem(static_cast<int>(*index));
    sendAction();
}

// The release that ended the menu's tracking comes here too; it is spent.
void PopUpButton::mouseDragged(const Event&) {}
void PopUpButton::mouseUp(const Event&) {}

// Geometry.

double PopUpButton::contentWidth(const MenuItem& item) const {
    const PopUpMetrics& metrics = metricsFor(controlSize());
    double width = TextLayout(item.title(), font()).size().width;
    if (item.image()) width += metrics.imageSide + metrics.imageGap;
    return width;
}

Size PopUpButton::intrinsicContentSize() const {
    const PopUpMetrics& metrics = metricsFor(controlSize());
    double widest = 0;
    for (const auto& item : menu_.items()) {
        if (isChoice(*item)) widest = std::max(widest, contentWidth(*item));
    }
    double width = metrics.leadingPadding + widest + metrics.chevronGap + metrics.chevronSide +
                   metrics.trailingPadding;
    return {std::max(metrics.minimumWidth, width), metrics.height};
}

Rect PopUpButton::faceRect() const {
    return Button::bezelFace(layoutBounds(), metricsFor(controlSize()).height);
}

Rect PopUpButton::imageRect() const {
    const PopUpMetrics& metrics = metricsFor(controlSize());
    double side = metrics.imageSide;
    return {metrics.leadingPadding, faceRect().midY() - side / 2, side, side};
}

Rect PopUpButton::chevronRect() const {
    const PopUpMetrics& metrics = metricsFor(controlSize());
    double side = metrics.chevronSide;
    double x = layoutBounds().width() - metrics.trailingPadding - side;
    return {x, faceRect().midY() - side / 2, side, side};
}

Rect PopUpButton::titleRect() const {
    const PopUpMetrics& metrics = metricsFor(controlSize());
    MenuItem* item = selectedItem();
    double left = metrics.leadingPadding;
    if (item && item->image()) left = imageRect().maxX() + metrics.imageGap;
    double right = chevronRect().minX() - metrics.chevronGap;
    return {left, faceRect().minY(), std::max(0.0, right - left), faceRect().height()};
}

TextLayout PopUpButton::titleLayout() const {
    TextLayout layout(titleOfSelectedItem(), font());
    double room = titleRect().width();
    if (layout.size().width > room) layout.setTruncationWidth(room);
    return layout;
}

double PopUpButton::titleTop(const TextLayout& layout) const {
    return faceRect().midY() - layout.size().height / 2;
}

std::optional<double> PopUpButton::firstBaselineOffsetFromTop() const {
    TextLayout layout(titleOfSelectedItem(), font());
    return titleTop(layout) + layout.firstBaseline();
}

// Drawing.

Color PopUpButton::contentColor() const {
    return isEnabled() ? Color::labelColor() : Color::disabledControlTextColor();
}

void PopUpButton::draw(GraphicsContext& context) {
    Button::drawBezel(context, faceRect(), metricsFor(controlSize()).cornerRadius, highlighted_);
    drawSelectedImage(context);
    TextLayout layout = titleLayout();
    context.drawText(layout, {titleRect().minX(), titleTop(layout)}, contentColor());
    drawChevrons(context);
}

void PopUpButton::drawSelectedImage(GraphicsContext& context) const {
    MenuItem* item = selectedItem();
    if (!item || !item->image()) return;
    const Image& image = *item->image();
    std::optional<Color> tint = image.isTemplate() ? std::optional(contentColor()) : std::nullopt;
    context.drawImage(image, imageRect(), tint);
}

// Our own chevron symbols, one pointing up above one pointing down.
void PopUpButton::drawChevrons(GraphicsContext& context) const {
    static const std::optional<Image> up = Image::symbol("chevron.up");
    static const std::optional<Image> down = Image::symbol("chevron.down");
    const PopUpMetrics& metrics = metricsFor(controlSize());
    Rect square = chevronRect();
    if (up) context.drawImage(*up, square.offsetBy(0, -metrics.chevronOffset), contentColor());
    if (down) context.drawImage(*down, square.offsetBy(0, metrics.chevronOffset), contentColor());
}

}  // namespace kit
