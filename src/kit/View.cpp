#include "kit/View.h"

#include <algorithm>

#include "kit/GraphicsContext.h"
#include "kit/Window.h"

namespace kit {

View::~View() = default;

View& View::addSubview(std::unique_ptr<View> view) {
    if (view->superview_) view->removeFromSuperview().release();
    view->superview_ = this;
    subviews_.push_back(std::move(view));
    setNeedsDisplay();
    return *subviews_.back();
}

std::unique_ptr<View> View::removeFromSuperview() {
    if (!superview_) return nullptr;
    if (auto* owner = window()) owner->viewWillLeave(*this);
    auto& siblings = superview_->subviews_;
    auto found = std::find_if(siblings.begin(), siblings.end(), [&](const auto& view) { return view.get() == this; });
    std::unique_ptr<View> self = std::move(*found);
    siblings.erase(found);
    superview_->setNeedsDisplay();
    superview_ = nullptr;
    return self;
}

bool View::isFirstResponderInside(const Window& window) const {
    auto* focused = dynamic_cast<View*>(window.firstResponder());
    return focused && focused->isDescendantOf(*this);
}

Window* View::window() const {
    const View* root = this;
    while (root->superview_) root = root->superview_;
    return root->window_;
}

bool View::isDescendantOf(const View& other) const {
    for (const View* view = this; view; view = view->superview_) {
        if (view == &other) return true;
    }
    return false;
}

View* View::findView(const std::function<bool(const View&)>& test) {
    if (test(*this)) return this;
    for (auto& subview : subviews_) {
        if (auto* found = subview->findView(test)) return found;
    }
    return nullptr;
}

void View::setFrame(const Rect& frame) {
    if (frame == frame_) return;
    frame_ = frame;
    setNeedsDisplay();
}

Point View::convertToWindow(Point point) const {
    for (const View* view = this; view; view = view->superview_) {
        point.x += view->frame_.origin.x;
        point.y += view->frame_.origin.y;
    }
    return point;
}

Point View::convertFromWindow(Point point) const {
    Point origin = convertToWindow({0, 0});
    return {point.x - origin.x, point.y - origin.y};
}

Rect View::frameInWindow() const { return {convertToWindow({0, 0}), frame_.size}; }

void View::setHidden(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    if (hidden) {
        if (auto* owner = window(); owner && isFirstResponderInside(*owner)) owner->makeFirstResponder(nullptr);
    }
    if (superview_) superview_->setNeedsDisplay();
}

bool View::isHiddenOrHasHiddenAncestor() const {
    for (const View* view = this; view; view = view->superview_) {
        if (view->hidden_) return true;
    }
    return false;
}

void View::draw(GraphicsContext&) {}

void View::display(GraphicsContext& context) {
    if (hidden_) return;
    context.save();
    context.translate(frame_.origin.x, frame_.origin.y);
    context.clip(bounds());
    draw(context);
    // Subviews wholly outside what can be seen (rows scrolled away) are not
    // drawn at all: nothing of theirs could show.
    Rect visible = context.clipBounds();
    for (auto& subview : subviews_) {
        if (!subview->frame().intersection(visible).isEmpty()) subview->display(context);
    }
    context.restore();
}

void View::setNeedsDisplay() {
    if (auto* owner = window()) owner->setViewsNeedDisplay();
}

void View::setBackgroundStyle(BackgroundStyle style) {
    backgroundStyle_ = style;
    for (auto& subview : subviews_) subview->setBackgroundStyle(style);
}

Size View::fittingSize() const {
    if (fixedSize_) return *fixedSize_;
    Size intrinsic = intrinsicContentSize();
    return {std::max(0.0, intrinsic.width), std::max(0.0, intrinsic.height)};
}

void View::layoutSubtreeIfNeeded() {
    layout();
    for (auto& subview : subviews_) subview->layoutSubtreeIfNeeded();
}

std::optional<double> View::firstBaselineOffsetFromTop() const { return std::nullopt; }

float View::contentHuggingPriority(LayoutAxis axis) const {
    return axis == LayoutAxis::horizontal ? horizontalHugging_ : verticalHugging_;
}

void View::setContentHuggingPriority(float priority, LayoutAxis axis) {
    (axis == LayoutAxis::horizontal ? horizontalHugging_ : verticalHugging_) = priority;
}

View* View::hitTest(Point pointInSuperview) {
    if (hidden_ || !frame_.contains(pointInSuperview)) return nullptr;
    Point local{pointInSuperview.x - frame_.origin.x, pointInSuperview.y - frame_.origin.y};
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        if (auto* hit = (*it)->hitTest(local)) return hit;
    }
    return this;
}

// Unhandled events go up the tree, as far as the window's content.
void View::mouseDown(const Event& event) {
    if (superview_) superview_->mouseDown(event);
}
void View::mouseUp(const Event& event) {
    if (superview_) superview_->mouseUp(event);
}
void View::mouseDragged(const Event& event) {
    if (superview_) superview_->mouseDragged(event);
}
void View::rightMouseDown(const Event& event) {
    if (superview_) superview_->rightMouseDown(event);
}
void View::keyDown(const Event& event) {
    if (superview_) superview_->keyDown(event);
}
void View::keyUp(const Event& event) {
    if (superview_) superview_->keyUp(event);
}
void View::flagsChanged(const Event& event) {
    if (superview_) superview_->flagsChanged(event);
}

bool View::performKeyEquivalent(const Event& event) {
    if (hidden_) return false;
    for (auto& subview : subviews_) {
        if (subview->performKeyEquivalent(event)) return true;
    }
    return false;
}

bool View::isFirstResponder() const {
    auto* owner = window();
    return owner && owner->firstResponder() == this;
}

}  // namespace kit
