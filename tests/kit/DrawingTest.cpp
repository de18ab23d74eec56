#include <gtest/gtest.h>

#include <filesystem>

#include "kit/Bitmap.h"
#include "kit/Color.h"
#include "kit/GraphicsContext.h"
#include "kit/Pixels.h"

namespace {

using kit::Bitmap;
using kit::Color;
using kit::GraphicsContext;
using pixels::alphaAt;

TEST(DrawingTest, PNGKeepsEveryPixelThroughMemoryAndFiles) {
    Bitmap bitmap(3, 2);
    bitmap.image().pixels = {0xffff0000, 0xff00ff00, 0xff0000ff,
                             0x00000000, 0x80402010, 0xff123456};

    auto fromMemory = Bitmap::fromPNGData(bitmap.pngData());
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(fromMemory->image(), bitmap.image());

    auto path = std::filesystem::path(testing::TempDir()) / "tarnwick-drawing-test.png";
    ASSERT_TRUE(bitmap.writePNG(path.string()));
    auto fromFile = Bitmap::readPNG(path.string());
    std::filesystem::remove(path);
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->image(), bitmap.image());
}

TEST(DrawingTest, WhatIsNoPNGReadsAsAbsent) {
    auto data = Bitmap(4, 4).pngData();
    data.resize(data.size() / 2);
    EXPECT_FALSE(Bitmap::fromPNGData(data));
    EXPECT_FALSE(Bitmap::fromPNGData({'n', 'o', 't'}));
    EXPECT_FALSE(Bitmap::readPNG("/nonexistent/folder/image.png"));
    EXPECT_FALSE(Bitmap(4, 4).writePNG("/nonexistent/folder/image.png"));
}

TEST(DrawingTest, AFilledRectAtScale2CoversExactlyItsDevicePixels) {
    Bitmap bitmap(20, 20);
    {
        GraphicsContext context(bitmap, 2);
        context.fillRect({2, 3, 4, 5}, Color::black());
    }
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 4 && x < 12 && y >= 6 && y < 16;
            ASSERT_EQ(alphaAt(bitmap, x, y), inside ? 255 : 0) << x << "," << y;
        }
    }
}

TEST(DrawingTest, OnePointLinesAtHalfPointsAndOutlinesOnWholePointsAreCrisp) {
    for (double scale : {1.0, 2.0}) {
        Bitmap bitmap(int(20 * scale), int(20 * scale));
        {
            GraphicsContext context(bitmap, scale);
            context.strokeLine({1, 2.5}, {9, 2.5}, Color::black(), 1);
            context.strokeRoundedRect({2, 6, 10, 8}, 0, Color::black(), 1);
        }
        auto s = int(scale);
        // The line: row 2 and nothing above or below, from x 1 up to 9.
        EXPECT_EQ(alphaAt(bitmap, 1 * s, 2 * s), 255);
        EXPECT_EQ(alphaAt(bitmap, 9 * s - 1, 3 * s - 1), 255);
        EXPECT_EQ(alphaAt(bitmap, 5 * s, 2 * s - 1), 0);
        EXPECT_EQ(alphaAt(bitmap, 5 * s, 3 * s), 0);
        EXPECT_EQ(alphaAt(bitmap, 9 * s, 2 * s), 0);
        // The outline: its corners' pixels solid, one pixel outside and inside clear.
        EXPECT_EQ(alphaAt(bitmap, 2 * s, 6 * s), 255);
        EXPECT_EQ(alphaAt(bitmap, 12 * s - 1, 14 * s - 1), 255);
        EXPECT_EQ(alphaAt(bitmap, 2 * s - 1, 8 * s), 0);
        EXPECT_EQ(alphaAt(bitmap, 12 * s, 8 * s), 0);
        EXPECT_EQ(alphaAt(bitmap, 3 * s, 8 * s), 0);
    }
}

TEST(DrawingTest, RoundedShapesLeaveTheirCornersClear) {
    Bitmap bitmap(40, 20);
    {
        GraphicsContext context(bitmap, 1);
        context.fillRoundedRect({0, 0, 20, 20}, 6, Color::black());
        context.fillEllipse({20, 0, 20, 20}, Color::black());
    }
    for (int left : {0, 20}) {
        EXPECT_EQ(alphaAt(bitmap, left, 0), 0);
        EXPECT_EQ(alphaAt(bitmap, left + 19, 19), 0);
        EXPECT_EQ(alphaAt(bitmap, left + 10, 10), 255);
        EXPECT_EQ(alphaAt(bitmap, left + 10, 1), 255);
    }
    // An oversized radius makes a capsule, not a mess.
    Bitmap capsule(30, 10);
    {
        GraphicsContext context(capsule, 1);
        context.fillRoundedRect({0, 0, 30, 10}, 50, Color::black());
    }
    EXPECT_EQ(alphaAt(capsule, 0, 0), 0);
    EXPECT_EQ(alphaAt(capsule, 15, 0), 255);
    EXPECT_EQ(alphaAt(capsule, 15, 9), 255);
}

TEST(DrawingTest, ClipsAndTranslationsLastUntilRestore) {
    Bitmap bitmap(20, 10);
    {
        GraphicsContext context(bitmap, 1);
        context.save();
        context.translate(10, 0);
        context.clip({0, 0, 5, 10});
        context.fillRect({-10, 0, 30, 10}, Color::black());
        context.restore();
        context.fillRect({0, 0, 1, 1}, Color::black());
    }
    EXPECT_EQ(pixels::inkedPixelCount(bitmap), 5 * 10 + 1);
    EXPECT_EQ(alphaAt(bitmap, 10, 5), 255);
    EXPECT_EQ(alphaAt(bitmap, 15, 5), 0);
    EXPECT_EQ(alphaAt(bitmap, 0, 0), 255);
}

TEST(DrawingTest, TranslucentColoursArePremultiplied) {
    Bitmap bitmap(1, 1);
    {
        GraphicsContext context(bitmap, 1);
        context.fillRect({0, 0, 1, 1}, Color::rgb(255, 0, 0, 0.5));
    }
    EXPECT_NEAR(pixels::alpha(bitmap.pixel(0, 0)), 128, 1);
    EXPECT_NEAR(pixels::red(bitmap.pixel(0, 0)), 128, 1);
    EXPECT_EQ(pixels::blue(bitmap.pixel(0, 0)), 0);
}

TEST(DrawingTest, SemanticColoursTakeTheLightAppearance) {
    EXPECT_EQ(Color::labelColor(), Color::black().withAlpha(0.85));
    EXPECT_EQ(Color::secondaryLabelColor(), Color::black().withAlpha(0.5));
    EXPECT_EQ(Color::controlAccentColor(), Color::rgb(0, 122, 255));
    EXPECT_EQ(Color::systemRedColor(), Color::rgb(255, 59, 48));
    EXPECT_EQ(Color::windowBackgroundColor(), Color::rgb(236, 236, 236));
    EXPECT_EQ(Color::controlBackgroundColor(), Color::white());
    // Greys for text and lines darken whatever they sit on; surfaces are opaque.
    for (auto grey : {Color::tertiaryLabelColor(), Color::placeholderTextColor(),
                      Color::disabledControlTextColor(), Color::separatorColor()}) {
        EXPECT_EQ(grey.withAlpha(1), Color::black());
        EXPECT_LT(grey.alpha, Color::secondaryLabelColor().alpha);
    }
    for (auto surface : {Color::controlColor(), Color::gridColor(), Color::titleBarColor(),
                         Color::alternatingContentBackgroundColor(),
                         Color::selectedContentBackgroundColor(), Color::linkColor()}) {
        EXPECT_EQ(surface.alpha, 1);
    }
}

}  // namespace
