#pragma once

// A rectangle of a window that draws itself and takes events: the retained
// tree the toolkit is made of. A view owns its subviews; frames are in the
// superview's coordinates, bounds start at (0, 0).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/Event.h"
#include "kit/Geometry.h"
#include "kit/Responder.h"

namespace kit {

class GraphicsContext;
class Window;

enum class LayoutAxis { horizontal, vertical };

class View : public Responder {
public:
    // Layout answers this for a dimension a view has no opinion on.
    static constexpr double noIntrinsicMetric = -1;
    static constexpr float priorityRequired = 1000;
    static constexpr float priorityDefaultLow = 250;

    View() = default;
    explicit View(Rect frame) : frame_(frame) {}
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // The tree.
    View& addSubview(std::unique_ptr<View> view);
    template <typename T>
    T& addSubview(std::unique_ptr<T> view) {
        T& added = *view;
        addSubview(std::unique_ptr<View>(std::move(view)));
        return added;
    }
    std::unique_ptr<View> removeFromSuperview();
    View* superview() const { return superview_; }
    const std::vector<std::unique_ptr<View>>& subviews() const { return subviews_; }
    Window* window() const;
    bool isDescendantOf(const View& other) const;
    // The first view in this subtree (this included) passing the test.
    View* findView(const std::function<bool(const View&)>& test);

    // Geometry.
    const Rect& frame() const { return frame_; }
    void setFrame(const Rect& frame);
    void setFrameOrigin(Point origin) { setFrame({origin, frame_.size}); }
    void setFrameSize(Size size) { setFrame({frame_.origin, size}); }
    Rect bounds() const { return {0, 0, frame_.size.width, frame_.size.height}; }
    // The bounds, or before the view is first laid out the bounds it will
    // get: its fitting size. Layout asks for baselines before it sets frames.
    Rect layoutBounds() const {
        if (!bounds().isEmpty()) return bounds();
        Size size = fittingSize();
        return {0, 0, size.width, size.height};
    }
    // Between this view's bounds and its window's content.
    Point convertToWindow(Point point) const;
    Point convertFromWindow(Point point) const;
    Rect frameInWindow() const;

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    // Hidden itself or inside a hidden view.
    bool isHiddenOrHasHiddenAncestor() const;

    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // What the view is drawn on: `emphasized` in a table row selected in the
    // accent colour, where text and symbols turn white. Passed on to every
    // subview; seen at the next drawing.
    enum class BackgroundStyle { normal, emphasized };
    void setBackgroundStyle(BackgroundStyle style);
    BackgroundStyle backgroundStyle() const { return backgroundStyle_; }

    // Drawing. draw() paints the view itself in its bounds; display() also
    // paints the subviews above it.
    virtual void draw(GraphicsContext& context);
    void display(GraphicsContext& context);
    void setNeedsDisplay();

    // Layout. Sizes in points; noIntrinsicMetric where the view does not care.
    virtual Size intrinsicContentSize() const { return {noIntrinsicMetric, noIntrinsicMetric}; }
    // The size the view wants with its content laid out: the intrinsic size
    // for simple views, the arranged content for containers.
    virtual Size fittingSize() const;
    // Places the subviews in the bounds; containers override it.
    virtual void layout() {}
    // Lays out this subtree, parents before children.
    void layoutSubtreeIfNeeded();
    // From the top of the view to the baseline of its first line of text;
    // absent for views without text.
    virtual std::optional<double> firstBaselineOffsetFromTop() const;
    float contentHuggingPriority(LayoutAxis axis) const;
    void setContentHuggingPriority(float priority, LayoutAxis axis);
    // A size fixed from outside (e.g. 18 × 18 previews); fitting size uses it.
    void setFixedSize(std::optional<Size> size) { fixedSize_ = size; }
    const std::optional<Size>& fixedSize() const { return fixedSize_; }

    // Events. The deepest visible view under a point of the superview's
    // coordinates (window content coordinates for the root).
    virtual View* hitTest(Point pointInSuperview);
    virtual void mouseDown(const Event& event);
    virtual void mouseUp(const Event& event);
    virtual void mouseDragged(const Event& event);
    virtual void rightMouseDown(const Event& event);
    virtual void keyDown(const Event& event);
    virtual void keyUp(const Event& event);
    virtual void flagsChanged(const Event& event);
    // Offered every key-down with a modifier before the menus; the default
    // asks the subviews in order.
    virtual bool performKeyEquivalent(const Event& event);

    // Keyboard focus.
    virtual bool acceptsFirstResponder() const { return false; }
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }
    virtual bool canBecomeKeyView() const { return acceptsFirstResponder(); }
    bool isFirstResponder() const;
    // The focus ring follows this rounded rectangle, drawn outside it while
    // the view is focused in the key window. No ring when absent.
    virtual std::optional<Rect> focusRingMaskBounds() const { return std::nullopt; }
    virtual double focusRingCornerRadius() const { return 3; }

    // What assistive technology is told.
    const std::string& accessibilityRole() const { return accessibilityRole_; }
    void setAccessibilityRole(std::string role) { accessibilityRole_ = std::move(role); }
    const std::string& accessibilityLabel() const { return accessibilityLabel_; }
    void setAccessibilityLabel(std::string label) { accessibilityLabel_ = std::move(label); }

protected:
    // The window this view's tree is attached to, set on the root.
    void setWindow(Window* window) { window_ = window; }
    friend class Window;

private:
    bool isFirstResponderInside(const Window& window) const;

    Rect frame_;
    View* superview_ = nullptr;
    Window* window_ = nullptr;
    std::vector<std::unique_ptr<View>> subviews_;
    bool hidden_ = false;
    BackgroundStyle backgroundStyle_ = BackgroundStyle::normal;
    std::string identifier_;
    int tag_ = 0;
    float horizontalHugging_ = priorityDefaultLow;
    float verticalHugging_ = priorityDefaultLow;
    std::optional<Size> fixedSize_;
    std::string accessibilityRole_;
    std::string accessibilityLabel_;
};

}  // namespace kit
