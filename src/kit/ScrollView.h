#pragma once

// A window onto a taller document view: a clip area inside an optional
// border, a vertical scroll offset, and a thin overlay scroller. The document
// is as wide as the clip area and as tall as it wants to be; clicks reach it
// in its own coordinates at any offset, because it sits in the clip area
// moved up by the offset.

#include <memory>

#include "kit/View.h"

namespace kit {

enum class BorderType { none, bezel };

class ScrollView : public View {
public:
    static constexpr double bezelWidth = 1;

    ScrollView();
    explicit ScrollView(Rect frame);

    View* documentView() const { return document_; }
    // Replaces the document; it is sized to the clip width at once.
    void setDocumentView(std::unique_ptr<View> view);

    BorderType borderType() const { return borderType_; }
    void setBorderType(BorderType type);
    bool hasVerticalScroller() const { return hasVerticalScroller_; }
    void setHasVerticalScroller(bool has);

    // The clip area in the scroll view's bounds: the bounds less the border.
    Rect clipFrame() const;
    Size contentSize() const { return clipFrame().size; }
    // The part of the document on show, in the document's coordinates.
    Rect documentVisibleRect() const;

    double verticalScrollOffset() const { return offset_; }
    // Clamped so the document never leaves a gap below its end or above its top.
    void scrollTo(double y);
    // Scrolls as little as needed to show `rect` (document coordinates); a
    // rect taller than the clip shows its top. True when the offset changed.
    bool scrollRectToVisible(const Rect& rect);
    // The overlay scroller is drawn only while there is something to scroll.
    bool isVerticalScrollerShown() const;

    void draw(GraphicsContext& context) override;
    void layout() override;

private:
    double maxOffset() const;
    void tile();

    View* clip_ = nullptr;
    View* scroller_ = nullptr;
    View* document_ = nullptr;
    BorderType borderType_ = BorderType::none;
    bool hasVerticalScroller_ = false;
    double offset_ = 0;
};

}  // namespace kit
