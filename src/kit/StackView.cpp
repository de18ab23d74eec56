#include "kit/StackView.h"

#include <algorithm>

namespace kit {

BaselineLine BaselineLine::of(const std::vector<const View*>& views) {
    BaselineLine line;
    for (const View* view : views) {
        if (auto baseline = view->firstBaselineOffsetFromTop())
            line.baseline = std::max(line.baseline, *baseline);
    }
    // The tallest ascent plus the deepest descent, unless a view hanging from
    // the top reaches further down.
    for (const View* view : views) {
        line.height = std::max(line.height, line.topOf(*view) + view->fittingSize().height);
    }
    return line;
}

double BaselineLine::topOf(const View& view) const {
    auto own = view.firstBaselineOffsetFromTop();
    return own ? baseline - *own : 0;
}

View& StackView::addArrangedSubview(std::unique_ptr<View> view) {
    View& added = addSubview(std::move(view));
    arranged_.push_back(&added);
    return added;
}

void StackView::setCustomSpacing(double spacing, const View& after) {
    auto found = std::find_if(customGaps_.begin(), customGaps_.end(),
                              [&](const Gap& gap) { return gap.after == &after; });
    if (found != customGaps_.end()) {
        found->spacing = spacing;
        return;
    }
    customGaps_.push_back({&after, spacing});
}

std::optional<double> StackView::customSpacing(const View& after) const {
    for (const Gap& gap : customGaps_) {
        if (gap.after == &after) return gap.spacing;
    }
    return std::nullopt;
}

std::vector<const View*> StackView::visibleViews() const {
    std::vector<const View*> views;
    for (const View* view : arranged_) {
        if (!view->isHidden()) views.push_back(view);
    }
    return views;
}

double StackView::gapAfter(const View& view) const {
    return customSpacing(view).value_or(spacing_);
}

BaselineLine StackView::line(const std::vector<const View*>& views) const {
    if (alignment_ == Alignment::firstBaseline) return BaselineLine::of(views);
    BaselineLine line;
    for (const View* view : views) line.height = std::max(line.height, view->fittingSize().height);
    return line;
}

double StackView::topOf(const View& view, const BaselineLine& line) const {
    switch (alignment_) {
        case Alignment::firstBaseline:
            return line.topOf(view);
        case Alignment::centerY:
            return (line.height - view.fittingSize().height) / 2;
        case Alignment::top:
            return 0;
    }
    return 0;
}

Size StackView::fittingSize() const {
    if (fixedSize()) return *fixedSize();
    auto views = visibleViews();
    double width = 0;
    for (const View* view : views) {
        width += view->fittingSize().width;
        if (view != views.back()) width += gapAfter(*view);
    }
    return {width, line(views).height};
}

void StackView::layout() {
    auto views = visibleViews();
    BaselineLine arranged = line(views);
    double x = 0;
    for (View* view : arranged_) {
        if (view->isHidden()) continue;
        Size size = view->fittingSize();
        view->setFrame({x, topOf(*view, arranged), size.width, size.height});
        x += size.width + gapAfter(*view);
    }
}

std::optional<double> StackView::firstBaselineOffsetFromTop() const {
    auto views = visibleViews();
    BaselineLine arranged = line(views);
    for (const View* view : views) {
        if (auto baseline = view->firstBaselineOffsetFromTop())
            return topOf(*view, arranged) + *baseline;
    }
    return std::nullopt;
}

}  // namespace kit
