#pragma once

// A horizontal line of views, e.g. a pop-up button followed by a link. The
// views keep their fitting sizes: nothing stretches, so a tightly hugging
// view such as a link button stays exactly as wide as its text. Arranged
// views stay in the stack for as long as it lives.

#include <memory>
#include <optional>
#include <vector>

#include "kit/View.h"

namespace kit {

// Views standing side by side on one first baseline; views without a
// baseline hang from the top. The grid's rows follow the same rule.
struct BaselineLine {
    // From the top of the line.
    double baseline = 0;
    double height = 0;

    static BaselineLine of(const std::vector<const View*>& views);
    // Where the view's top goes, from the top of the line.
    double topOf(const View& view) const;
};

class StackView : public View {
public:
    enum class Alignment { firstBaseline, centerY, top };

    static constexpr double defaultSpacing = 8;

    View& addArrangedSubview(std::unique_ptr<View> view);
    template <typename T>
    T& addArrangedSubview(std::unique_ptr<T> view) {
        T& added = *view;
        addArrangedSubview(std::unique_ptr<View>(std::move(view)));
        return added;
    }
    const std::vector<View*>& arrangedSubviews() const { return arranged_; }

    double spacing() const { return spacing_; }
    void setSpacing(double spacing) { spacing_ = spacing; }
    // The gap after `view` instead of the usual spacing.
    void setCustomSpacing(double spacing, const View& after);
    std::optional<double> customSpacing(const View& after) const;

    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment alignment) { alignment_ = alignment; }

    Size fittingSize() const override;
    void layout() override;
    // The baseline of the first arranged view that has one.
    std::optional<double> firstBaselineOffsetFromTop() const override;

private:
    struct Gap {
        const View* after;
        double spacing;
    };

    // Hidden views take neither room nor spacing.
    std::vector<const View*> visibleViews() const;
    double gapAfter(const View& view) const;
    // The line's height, and its baseline when the views stand on one.
    BaselineLine line(const std::vector<const View*>& views) const;
    double topOf(const View& view, const BaselineLine& line) const;

    std::vector<View*> arranged_;
    std::vector<Gap> customGaps_;
    double spacing_ = defaultSpacing;
    Alignment alignment_ = Alignment::firstBaseline;
};

}  // namespace kit
