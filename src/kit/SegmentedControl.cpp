#include "kit/SegmentedControl.h"

#include <algorithm>
#include <cmath>

#include "kit/GraphicsContext.h"

namespace kit {
namespace {

// Flat square segments with no shadow, made to sit under a list.
constexpr Size regularSegment{24, 22};
constexpr Size smallSegment{20, 19};
constexpr double borderWidth = 0.5;
// Images fit the segment less this margin, which keeps 16-point symbols to
// the lighter 14 points of their neighbours in lists.
constexpr EdgeInsets imageMargins{4, 5, 4, 5};

Color borderColor() {
    return Color::black().withAlpha(0.25);
}
// Laid over a segment that is selected or pressed; both together darker still.
Color darkenedColor() {
    return Color::black().withAlpha(0.12);
}

Rect fitted(Size size, const Rect& room) {
    double fit = std::min({1.0, room.width() / size.width, room.height() / size.height});
    Size scaled{size.width * fit, size.height * fit};
    return {std::round(room.midX() - scaled.width / 2), std::round(room.midY() - scaled.height / 2),
            scaled.width, scaled.height};
}

}  // namespace

SegmentedControl::SegmentedControl(int segmentCount) {
    setAccessibilityRole("segmentedControl");
    setSegmentCount(segmentCount);
}

void SegmentedControl::setSegmentCount(int count) {
    segments_.resize(static_cast<std::size_t>(std::max(0, count)));
    if (selectedSegment_ >= segmentCount()) selectedSegment_ = -1;
    setNeedsDisplay();
}

void SegmentedControl::setTrackingMode(TrackingMode mode) {
    trackingMode_ = mode;
    if (mode == TrackingMode::momentary) setSelectedSegment(-1);
}

SegmentedControl::Segment* SegmentedControl::segmentNumber(int segment) {
    if (segment < 0 || segment >= segmentCount()) return nullptr;
    return &segments_[static_cast<std::size_t>(segment)];
}

const SegmentedControl::Segment* SegmentedControl::segmentNumber(int segment) const {
    return const_cast<SegmentedControl*>(this)->segmentNumber(segment);
}

void SegmentedControl::setImage(std::optional<Image> image, int segment) {
    if (auto* found = segmentNumber(segment)) found->image = std::move(image);
    setNeedsDisplay();
}

std::optional<Image> SegmentedControl::image(int segment) const {
    auto* found = segmentNumber(segment);
    return found ? found->image : std::nullopt;
}

void SegmentedControl::setAccessibilityDescription(std::string description, int segment) {
    if (auto* found = segmentNumber(segment))
        found->accessibilityDescription = std::move(description);
}

std::string SegmentedControl::accessibilityDescription(int segment) const {
    auto* found = segmentNumber(segment);
    return found ? found->accessibilityDescription : "";
}

void SegmentedControl::setEnabled(bool enabled, int segment) {
    if (auto* found = segmentNumber(segment)) found->enabled = enabled;
    setNeedsDisplay();
}

bool SegmentedControl::isEnabled(int segment) const {
    auto* found = segmentNumber(segment);
    return found && found->enabled;
}

void SegmentedControl::setSelectedSegment(int segment) {
    selectedSegment_ = segmentNumber(segment) ? segment : -1;
    setNeedsDisplay();
}

// Geometry.

double SegmentedControl::segmentWidth() const {
    return (controlSize() == ControlSize::small ? smallSegment : regularSegment).width;
}

Size SegmentedControl::intrinsicContentSize() const {
    Size segment = controlSize() == ControlSize::small ? smallSegment : regularSegment;
    return {segment.width * segmentCount(), segment.height};
}

// Segments keep their width; a wider frame leaves room after the last one.
Rect SegmentedControl::segmentRect(int segment) const {
    return {segment * segmentWidth(), 0, segmentWidth(), bounds().height()};
}

int SegmentedControl::segmentAt(Point point) const {
    if (!bounds().contains(point)) return -1;
    int segment = static_cast<int>(point.x / segmentWidth());
    return segment < segmentCount() ? segment : -1;
}

// Events.

int SegmentedControl::segmentUnder(const Event& event) const {
    return segmentAt(convertFromWindow(event.locationInWindow));
}

void SegmentedControl::setHighlightedSegment(int segment) {
    if (segment == highlightedSegment_) return;
    highlightedSegment_ = segment;
    setNeedsDisplay();
}

// Disabled segments, like a disabled control, swallow the click.
void SegmentedControl::mouseDown(const Event& event) {
    int segment = segmentUnder(event);
    if (!isEnabled() || !isEnabled(segment)) return;
    trackedSegment_ = segment;
    setHighlightedSegment(segment);
}

void SegmentedControl::mouseDragged(const Event& event) {
    if (trackedSegment_ < 0) return;
    setHighlightedSegment(segmentUnder(event) == trackedSegment_ ? trackedSegment_ : -1);
}

void SegmentedControl::mouseUp(const Event& event) {
    int segment = trackedSegment_;
    trackedSegment_ = -1;
    setHighlightedSegment(-1);
    if (segment < 0 || segmentUnder(event) != segment) return;
    if (!isEnabled() || !isEnabled(segment)) return;
    choose(segment);
}

void SegmentedControl::choose(int segment) {
    selectedSegment_ = segment;
    setNeedsDisplay();
    sendAction();
    if (trackingMode_ == TrackingMode::momentary) setSelectedSegment(-1);
}

// Drawing.

void SegmentedControl::draw(GraphicsContext& context) {
    Rect whole{0, 0, segmentWidth() * segmentCount(), bounds().height()};
    if (whole.isEmpty()) return;
    context.fillRect(whole, Color::controlColor());
    for (int segment = 0; segment < segmentCount(); ++segment) drawSegment(context, segment);
    context.strokeRoundedRect(whole, 0, borderColor(), borderWidth);
}

void SegmentedControl::drawSegment(GraphicsContext& context, int segment) const {
    Rect rect = segmentRect(segment);
    if (segment == selectedSegment_) context.fillRect(rect, darkenedColor());
    if (segment == highlightedSegment_) context.fillRect(rect, darkenedColor());
    if (segment > 0) context.fillRect({rect.minX(), 0, borderWidth, rect.height()}, borderColor());
    auto& image = segments_[static_cast<std::size_t>(segment)].image;
    if (!image || image->size().width <= 0 || image->size().height <= 0) return;
    bool enabled = isEnabled() && isEnabled(segment);
    Color tint = enabled ? Color::labelColor() : Color::disabledControlTextColor();
    context.drawImage(*image, fitted(image->size(), rect.inset(imageMargins)),
                      image->isTemplate() ? std::optional(tint) : std::nullopt);
}

}  // namespace kit
