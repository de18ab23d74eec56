#pragma once

// A row of square segments showing images, joined under one border, as the
// small + and − buttons below a list. Momentary segments act like buttons;
// select-one segments keep the last one chosen.

#include <optional>
#include <string>
#include <vector>

#include "kit/Control.h"
#include "kit/Image.h"

namespace kit {

class SegmentedControl : public Control {
public:
    enum class TrackingMode { selectOne, momentary };

    explicit SegmentedControl(int segmentCount = 0);

    int segmentCount() const { return static_cast<int>(segments_.size()); }
    void setSegmentCount(int count);
    TrackingMode trackingMode() const { return trackingMode_; }
    void setTrackingMode(TrackingMode mode);

    void setImage(std::optional<Image> image, int segment);
    std::optional<Image> image(int segment) const;
    void setAccessibilityDescription(std::string description, int segment);
    std::string accessibilityDescription(int segment) const;
    // A segment can be disabled on its own; the whole control as any control.
    using Control::isEnabled;
    using Control::setEnabled;
    void setEnabled(bool enabled, int segment);
    bool isEnabled(int segment) const;

    // Select-one: the chosen segment. Momentary: the clicked segment while
    // its action is sent, −1 otherwise.
    int selectedSegment() const { return selectedSegment_; }
    void setSelectedSegment(int segment);
    // The one being pressed, −1 when none.
    int highlightedSegment() const { return highlightedSegment_; }

    // In the control's bounds.
    Rect segmentRect(int segment) const;
    // −1 outside every segment.
    int segmentAt(Point point) const;

    void draw(GraphicsContext& context) override;
    Size intrinsicContentSize() const override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    struct Segment {
        std::optional<Image> image;
        std::string accessibilityDescription;
        bool enabled = true;
    };

    Segment* segmentNumber(int segment);
    const Segment* segmentNumber(int segment) const;
    double segmentWidth() const;
    int segmentUnder(const Event& event) const;
    void setHighlightedSegment(int segment);
    void choose(int segment);
    void drawSegment(GraphicsContext& context, int segment) const;

    std::vector<Segment> segments_;
    TrackingMode trackingMode_ = TrackingMode::selectOne;
    int selectedSegment_ = -1;
    int trackedSegment_ = -1;
    int highlightedSegment_ = -1;
};

}  // namespace kit
