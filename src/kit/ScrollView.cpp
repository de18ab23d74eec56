#include "kit/ScrollView.h"

#include <algorithm>

#include "kit/Color.h"
#include "kit/GraphicsContext.h"

namespace kit {
namespace {

constexpr double scrollerTrackWidth = 10;
constexpr double scrollerKnobWidth = 6;
constexpr double scrollerMargin = 2;
constexpr double scrollerMinKnobLength = 18;

// The visible area. View::display clips every view to its bounds, so a
// document placed at (0, -offset) in here shows exactly its visible part, and
// hit testing hands the document points in its own coordinates.
class ClipView : public View {
public:
    void draw(GraphicsContext& context) override {
        context.fillRect(bounds(), Color::controlBackgroundColor());
    }
};

// A knob over the right edge of the content; it takes no clicks so the rows
// under it stay clickable.
class OverlayScroller : public View {
public:
    explicit OverlayScroller(const ScrollView& owner) : owner_(owner) {}

    View* hitTest(Point) override { return nullptr; }

    void draw(GraphicsContext& context) override {
        if (!owner_.isVerticalScrollerShown()) return;
        context.fillRoundedRect(knobRect(), scrollerKnobWidth / 2, Color::black().withAlpha(0.4));
    }

private:
    Rect knobRect() const {
        double track = bounds().height() - 2 * scrollerMargin;
        double visible = owner_.contentSize().height;
        double whole = owner_.documentView()->frame().height();
        double length =
            std::clamp(track * visible / whole, std::min(scrollerMinKnobLength, track), track);
        double travel = whole - visible;
        double top = scrollerMargin + (track - length) * owner_.verticalScrollOffset() / travel;
        return {bounds().width() - scrollerMargin - scrollerKnobWidth, top, scrollerKnobWidth,
                length};
    }

    const ScrollView& owner_;
};

}  // namespace

ScrollView::ScrollView() : ScrollView(Rect{}) {}

ScrollView::ScrollView(Rect frame) : View(frame) {
    clip_ = &addSubview(std::make_unique<ClipView>());
    scroller_ = &addSubview(std::make_unique<OverlayScroller>(*this));
    tile();
}

void ScrollView::setDocumentView(std::unique_ptr<View> view) {
    if (document_) document_->removeFromSuperview();
    document_ = view ? &clip_->addSubview(std::move(view)) : nullptr;
    offset_ = 0;
    tile();
}

void ScrollView::setBorderType(BorderType type) {
    borderType_ = type;
    tile();
}

void ScrollView::setHasVerticalScroller(bool has) {
    hasVerticalScroller_ = has;
    setNeedsDisplay();
}

Rect ScrollView::clipFrame() const {
    double border = borderType_ == BorderType::bezel ? bezelWidth : 0;
    return bounds().insetBy(border, border);
}

Rect ScrollView::documentVisibleRect() const {
    Size size = contentSize();
    return {0, offset_, size.width, size.height};
}

void ScrollView::scrollTo(double y) {
    offset_ = std::clamp(y, 0.0, maxOffset());
    tile();
}

bool ScrollView::scrollRectToVisible(const Rect& rect) {
    double before = offset_;
    double visible = contentSize().height;
    if (rect.maxY() > offset_ + visible) scrollTo(rect.maxY() - visible);
    if (rect.minY() < offset_) scrollTo(rect.minY());
    return offset_ != before;
}

bool ScrollView::isVerticalScrollerShown() const {
    return hasVerticalScroller_ && document_ && document_->frame().height() > contentSize().height;
}

void ScrollView::draw(GraphicsContext& context) {
    if (borderType_ != BorderType::bezel) return;
    context.strokeRoundedRect(bounds(), 0, Color::separatorColor(), bezelWidth);
}

void ScrollView::layout() {
    tile();
}

double ScrollView::maxOffset() const {
    if (!document_) return 0;
    return std::max(0.0, document_->frame().height() - contentSize().height);
}

// The document may have changed its height since the last offset was set,
// so the offset is clamped again whenever the pieces are placed.
void ScrollView::tile() {
    Rect clip = clipFrame();
    clip_->setFrame(clip);
    scroller_->setFrame(
        {clip.maxX() - scrollerTrackWidth, clip.minY(), scrollerTrackWidth, clip.height()});
    if (!document_) return;
    offset_ = std::clamp(offset_, 0.0, maxOffset());
    document_->setFrame({0, -offset_, clip.width(), document_->frame().height()});
}

}  // namespace kit
