#include <gtest/gtest.h>

#include "FixedView.h"

#include "kit/StackView.h"

namespace {

using kit::Rect;
using kit::Size;
using kit::StackView;
using kit::View;

using kittest::FixedView;

View& add(StackView& stack, double width, double height, std::optional<double> baseline = {}) {
    return stack.addArrangedSubview(std::make_unique<FixedView>(Size{width, height}, baseline));
}

TEST(StackViewTest, ViewsFollowOneAnotherAtTheirFittingWidths) {
    StackView stack;
    View& first = add(stack, 30, 20);
    View& second = add(stack, 40, 20);
    View& third = add(stack, 50, 20);
    EXPECT_EQ(stack.fittingSize(), (Size{30 + 8 + 40 + 8 + 50, 20}));

    stack.setCustomSpacing(2, second);
    // More room than needed stretches nothing.
    stack.setFrame({0, 0, 300, 40});
    stack.layout();
    EXPECT_EQ(first.frame(), (Rect{0, 0, 30, 20}));
    EXPECT_EQ(second.frame(), (Rect{38, 0, 40, 20}));
    EXPECT_EQ(third.frame(), (Rect{80, 0, 50, 20}));
    EXPECT_EQ(stack.fittingSize().width, 130);
}

TEST(StackViewTest, HiddenViewsTakeNeitherRoomNorSpacing) {
    StackView stack;
    View& first = add(stack, 30, 20);
    View& second = add(stack, 40, 30);
    View& third = add(stack, 50, 20);
    stack.setCustomSpacing(20, second);
    second.setHidden(true);
    stack.layout();
    EXPECT_EQ(third.frame().origin.x, 38);
    EXPECT_EQ(stack.fittingSize(), (Size{88, 20}));

    // The gap after a view still showing stays its own.
    stack.setCustomSpacing(12, first);
    stack.layout();
    EXPECT_EQ(third.frame().origin.x, 42);

    first.setHidden(true);
    third.setHidden(true);
    EXPECT_EQ(stack.fittingSize(), (Size{0, 0}));
}

TEST(StackViewTest, FirstBaselinesLineUpAndViewsWithoutOneHangFromTheTop) {
    StackView stack;
    View& link = add(stack, 60, 17, 13);
    View& popUp = add(stack, 120, 22, 15);
    View& icon = add(stack, 16, 24);
    stack.layout();
    EXPECT_EQ(popUp.frame().origin.y, 0);
    EXPECT_EQ(link.frame().origin.y, 2);
    EXPECT_EQ(icon.frame().origin.y, 0);
    EXPECT_EQ(stack.fittingSize().height, 24);
    // The line's baseline, not the first view's own.
    EXPECT_EQ(stack.firstBaselineOffsetFromTop(), 15);
}

TEST(StackViewTest, CenteredAndTopAlignedLines) {
    StackView stack;
    View& icon = add(stack, 16, 16);
    View& button = add(stack, 80, 22, 15);
    View& label = add(stack, 60, 17, 13);

    stack.setAlignment(StackView::Alignment::centerY);
    stack.layout();
    EXPECT_EQ(icon.frame().origin.y, 3);
    EXPECT_EQ(label.frame().origin.y, 2.5);
    // The first view with text gives the line its baseline.
    EXPECT_EQ(stack.firstBaselineOffsetFromTop(), 15);

    stack.setAlignment(StackView::Alignment::top);
    stack.layout();
    EXPECT_EQ(label.frame().origin.y, 0);
    EXPECT_EQ(button.frame().origin.y, 0);
    EXPECT_EQ(stack.fittingSize().height, 22);
}

}  // namespace
