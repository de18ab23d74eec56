// Labels and image views: the controls that only show something.

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "kit/ImageView.h"
#include "kit/Label.h"
#include "kit/Window.h"

namespace {

using kit::Image;
using kit::Label;
using kit::Rect;
using kit::Size;

// What is drawn inside `rect` (window points) of an opaque window picture:
// the extent of the dark ink, its darkest grey, and how many pixels are red.
struct Ink {
    double minX = 1e9, maxX = -1, bottom = -1;
    int darkest = 255;
    int red = 0;
};

Ink inkIn(const kit::Bitmap& bitmap, Rect rect) {
    Ink ink;
    for (int y = int(rect.minY() * 2); y < int(rect.maxY() * 2); ++y) {
        for (int x = int(rect.minX() * 2); x < int(rect.maxX() * 2); ++x) {
            auto pixel = bitmap.pixel(x, y);
            int r = pixel >> 16 & 0xff, g = pixel >> 8 & 0xff, b = pixel & 0xff;
            ink.red += r > 180 && g < 90 && b < 90;
            ink.darkest = std::min(ink.darkest, (r + g + b) / 3);
            if ((r + g + b) / 3 > 200) continue;
            ink.minX = std::min(ink.minX, x / 2.0);
            ink.maxX = std::max(ink.maxX, (x + 1) / 2.0);
            ink.bottom = std::max(ink.bottom, (y + 1) / 2.0);
        }
    }
    return ink;
}

class LabelTest : public fakes::PlatformTest {
protected:
    kit::Window window{{400, 200}, kit::WindowStyle::titled};

    template <typename T>
    T& add(std::unique_ptr<T> view) {
        T& added = window.contentView()->addSubview(std::move(view));
        added.setFrame({{20, 20}, added.fittingSize()});
        return added;
    }
    Label& add(const std::string& text) { return add(std::make_unique<Label>(text)); }
};

TEST_F(LabelTest, NewTextIsMeasuredAndShownAgainAndEmptyTextKeepsOneLine) {
    auto& label = add("Ready");
    double shortWidth = label.intrinsicContentSize().width;
    label.setText("Ready to hide the menu bar");
    EXPECT_GT(label.intrinsicContentSize().width, shortWidth + 50);
    EXPECT_EQ(label.accessibilityLabel(), "Ready to hide the menu bar");
    label.setFrameSize(label.fittingSize());
    Ink ink = inkIn(window.render(2), label.frameInWindow());
    EXPECT_GT(ink.maxX - ink.minX, label.frame().width() - 4);

    double lineHeight = label.intrinsicContentSize().height;
    label.setText("");
    EXPECT_EQ(label.intrinsicContentSize(), (Size{0, lineHeight}));
}

TEST_F(LabelTest, ATruncatingLabelAsksForItsWholeTextButCutsItToItsFrame) {
    auto& label = add("A long application name that does not fit");
    label.setLineBreakTruncatingTail();
    EXPECT_EQ(label.intrinsicContentSize(), Label(label.text()).intrinsicContentSize());
    EXPECT_FALSE(label.layoutInBounds().isTruncated());

    label.setFrameSize({120, label.frame().height()});
    EXPECT_TRUE(label.layoutInBounds().isTruncated());
    Ink ink = inkIn(window.render(2), label.frameInWindow().insetBy(-20, 0));
    EXPECT_LE(ink.maxX, label.frameInWindow().maxX());
    EXPECT_GT(ink.maxX, label.frameInWindow().maxX() - 10) << "the ellipsis reaches the end";
}

TEST_F(LabelTest, AWrappingLabelGrowsTallerAsItGetsNarrower) {
    auto& label = add("Applications listed here keep the menu bar shown while they are in front.");
    label.setPreferredMaxLayoutWidth(300);
    Size wide = label.intrinsicContentSize();
    label.setPreferredMaxLayoutWidth(150);
    Size narrow = label.intrinsicContentSize();
    EXPECT_LE(wide.width, 300);
    EXPECT_LE(narrow.width, 150);
    EXPECT_GT(narrow.height, wide.height);

    label.setFrameSize(narrow);
    EXPECT_GT(label.layoutInBounds().lineCount(), 2);
    EXPECT_EQ(label.layoutInBounds().size(), narrow) << "drawn as measured";
    Ink ink = inkIn(window.render(2), label.frameInWindow().insetBy(0, -10));
    EXPECT_GT(ink.bottom, label.frameInWindow().maxY() - 8) << "the last line is drawn";
    EXPECT_EQ(*label.firstBaselineOffsetFromTop(),
              *Label("Applications").firstBaselineOffsetFromTop());
}

TEST_F(LabelTest, AMinimumHeightKeepsRoomBelowTextDrawnFromTheTop) {
    auto& label = add("Recording…");
    double baseline = *label.firstBaselineOffsetFromTop();
    double lineHeight = label.intrinsicContentSize().height;
    label.setMinimumHeight(32);
    EXPECT_EQ(label.intrinsicContentSize().height, 32);
    EXPECT_EQ(*label.firstBaselineOffsetFromTop(), baseline);

    label.setFrameSize(label.fittingSize());
    Ink ink = inkIn(window.render(2), label.frameInWindow());
    EXPECT_LE(ink.bottom, label.frameInWindow().minY() + lineHeight);
}

TEST_F(LabelTest, AlignmentColourAndTheDisabledAndSmallLooks) {
    auto& label = add("Right");
    label.setFrameSize({200, label.frame().height()});
    label.setAlignment(Label::Alignment::right);
    Rect frame = label.frameInWindow();
    Ink right = inkIn(window.render(2), frame);
    EXPECT_GT(right.minX, frame.midX());
    EXPECT_NEAR(right.maxX, frame.maxX(), 2);
    label.setAlignment(Label::Alignment::center);
    Ink centred = inkIn(window.render(2), frame);
    EXPECT_NEAR((centred.minX + centred.maxX) / 2, frame.midX(), 2);

    EXPECT_LT(centred.darkest, 80);
    label.setEnabled(false);
    EXPECT_GT(inkIn(window.render(2), frame).darkest, 150);
    label.setEnabled(true);
    label.setTextColor(kit::Color::systemRedColor());
    EXPECT_GT(inkIn(window.render(2), frame).red, 20);

    label.setControlSize(kit::ControlSize::small);
    EXPECT_EQ(label.font().pointSize, 11);
    EXPECT_LT(*label.firstBaselineOffsetFromTop(), *Label("Right").firstBaselineOffsetFromTop());
}

TEST_F(LabelTest, ALabelTakesNeitherFocusNorClicks) {
    struct Target : kit::Responder {
        bool tryToPerform(const kit::Action&, kit::Responder*) override { return ++performed; }
        int performed = 0;
    } target;
    auto& label = add("Shortcut:");
    label.setTarget(&target);
    label.setAction("copy:");
    EXPECT_FALSE(window.makeFirstResponder(&label));
    kit::Point inside = label.convertToWindow({5, 5});
    window.sendEvent(kit::Event::mouse(kit::Event::Type::leftMouseDown, inside));
    window.sendEvent(kit::Event::mouse(kit::Event::Type::leftMouseUp, inside));
    EXPECT_EQ(target.performed, 0);
}

TEST_F(LabelTest, AnImageViewAsksForItsImageSizeUnlessPinned) {
    auto& view = add(std::make_unique<kit::ImageView>(Image::genericApplicationIcon()));
    EXPECT_EQ(view.fittingSize(), (Size{32, 32}));
    view.setFixedSize(Size{18, 18});
    EXPECT_EQ(view.fittingSize(), (Size{18, 18}));
    view.setImage(std::nullopt);
    EXPECT_EQ(view.intrinsicContentSize().width, kit::View::noIntrinsicMetric);
    EXPECT_TRUE(view.imageRect().isEmpty());
}

TEST_F(LabelTest, AnImageViewScalesAsToldAndCentres) {
    auto& view = add(std::make_unique<kit::ImageView>(Image::genericApplicationIcon()));
    view.setFrameSize({64, 48});
    EXPECT_EQ(view.imageRect(), (Rect{16, 8, 32, 32})) << "proportionally down never enlarges";
    view.setImageScaling(kit::ImageScaling::proportionallyUpOrDown);
    EXPECT_EQ(view.imageRect(), (Rect{8, 0, 48, 48}));
    view.setFrameSize({16, 24});
    EXPECT_EQ(view.imageRect(), (Rect{0, 4, 16, 16}));
    view.setImageScaling(kit::ImageScaling::none);
    EXPECT_EQ(view.imageRect(), (Rect{-8, -4, 32, 32}));
}

TEST_F(LabelTest, AnImageViewTintsSymbolsAndDescribesThem) {
    auto& view = add(std::make_unique<kit::ImageView>(Image::symbol("pin", "Pinned")));
    EXPECT_EQ(view.accessibilityLabel(), "Pinned");
    EXPECT_EQ(inkIn(window.render(2), view.frameInWindow()).red, 0);
    view.setContentTintColor(kit::Color::systemRedColor());
    EXPECT_GT(inkIn(window.render(2), view.frameInWindow()).red, 20);

    // An application's icon keeps its own colours.
    view.setImage(Image::genericApplicationIcon());
    view.setFrameSize({32, 32});
    EXPECT_EQ(view.accessibilityLabel(), "");
    auto tinted = window.render(2);
    view.setContentTintColor(std::nullopt);
    EXPECT_EQ(tinted.image(), window.render(2).image());
}

}  // namespace
