#include <gtest/gtest.h>

#include "kit/GraphicsContext.h"
#include "kit/Pixels.h"
#include "kit/TextLayout.h"

namespace {

using kit::Font;
using kit::TextLayout;

const std::string longText =
    "Items you hide stay out of the way until you need them again; a click on the "
    "arrow or the shortcut brings every one of them back for as long as you like.";

kit::Bitmap drawn(const TextLayout& layout, double scale, kit::Size points) {
    kit::Bitmap bitmap(int(points.width * scale), int(points.height * scale));
    {
        kit::GraphicsContext context(bitmap, scale);
        context.drawText(layout, {0, 0}, kit::Color::black());
    }
    return bitmap;
}

TEST(TextLayoutTest, TheSystemFontMeasuresLikeTheDesktops) {
    TextLayout label("Launch at login", Font::systemFont());
    EXPECT_NEAR(label.size().height, 16, 1);
    EXPECT_GE(label.firstBaseline(), 12);
    EXPECT_LE(label.firstBaseline(), 13);
    EXPECT_GT(label.size().width, 60);
    EXPECT_LT(label.size().width, 120);
    EXPECT_EQ(label.lineCount(), 1);
    EXPECT_FALSE(label.isTruncated());

    TextLayout small("Launch at login", Font::systemFont(Font::smallSystemFontSize));
    EXPECT_LT(small.size().width, label.size().width);
    EXPECT_LT(small.firstBaseline(), label.firstBaseline());
    TextLayout bold("Launch at login", Font::boldSystemFont());
    EXPECT_GT(bold.size().width, label.size().width);
}

TEST(TextLayoutTest, WrapsToLinesNoWiderThanTheWidth) {
    TextLayout paragraph(longText, Font::systemFont());
    double oneLineHeight = paragraph.size().height;
    EXPECT_GT(paragraph.size().width, 330);

    paragraph.setWrapWidth(330);
    EXPECT_GE(paragraph.lineCount(), 2);
    EXPECT_LE(paragraph.size().width, 330);
    EXPECT_NEAR(paragraph.size().height, paragraph.lineCount() * oneLineHeight,
                paragraph.lineCount());
    EXPECT_FALSE(paragraph.isTruncated());

    paragraph.setWrapWidth(std::nullopt);
    EXPECT_EQ(paragraph.lineCount(), 1);
}

TEST(TextLayoutTest, TruncatesItsTailToOneLine) {
    TextLayout name("A rather long application name\nwith a second line", Font::systemFont());
    name.setTruncationWidth(60);
    EXPECT_TRUE(name.isTruncated());
    EXPECT_LE(name.size().width, 60);
    EXPECT_EQ(name.lineCount(), 1);

    TextLayout shortName("Mail", Font::systemFont());
    shortName.setTruncationWidth(60);
    EXPECT_FALSE(shortName.isTruncated());
    EXPECT_EQ(shortName.size(), TextLayout("Mail", Font::systemFont()).size());
}

TEST(TextLayoutTest, MeasuresAlikeForCopiesAndAfterDrawingAtAnyScale) {
    TextLayout label("Hidden items", Font::systemFont());
    auto measured = label.size();
    auto atOne = drawn(label, 1, {120, 20});
    auto atTwo = drawn(label, 2, {120, 20});
    EXPECT_EQ(label.size(), measured);
    EXPECT_EQ(TextLayout(label).size(), measured);

    // The ink sits inside the measured box and scales with the drawing.
    auto inkOne = pixels::inkBounds(atOne);
    auto inkTwo = pixels::inkBounds(atTwo);
    ASSERT_FALSE(inkOne.isEmpty());
    EXPECT_LE(inkOne.maxX(), measured.width + 1);
    EXPECT_LE(inkOne.maxY(), measured.height);
    EXPECT_NEAR(inkTwo.width(), 2 * inkOne.width(), 2);
    EXPECT_NEAR(inkTwo.maxY(), 2 * inkOne.maxY(), 2);
    EXPECT_NEAR(inkTwo.minX(), 2 * inkOne.minX(), 2);
}

TEST(TextLayoutTest, AlignsWithinTheWrapWidth) {
    TextLayout title("Shortcuts", Font::systemFont());
    title.setWrapWidth(200);
    title.setAlignment(TextLayout::Alignment::center);
    auto centred = pixels::inkBounds(drawn(title, 1, {200, 20}));
    EXPECT_NEAR(centred.midX(), 100, 2);

    title.setAlignment(TextLayout::Alignment::right);
    auto right = pixels::inkBounds(drawn(title, 1, {200, 20}));
    EXPECT_NEAR(right.maxX(), 200, 2);
}

TEST(TextLayoutTest, BytesThatAreNoTextStillLayOut) {
    TextLayout broken(std::string("Caf\xe9 \0bar", 9), Font::systemFont());
    EXPECT_GT(broken.size().width, 0);
    EXPECT_EQ(broken.lineCount(), 1);
    EXPECT_EQ(TextLayout("", Font::systemFont()).size().width, 0);
}

}  // namespace
