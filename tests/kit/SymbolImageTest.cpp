#include <gtest/gtest.h>

#include <filesystem>

#include "kit/GraphicsContext.h"
#include "kit/Image.h"
#include "kit/Pixels.h"

namespace {

using kit::Color;
using kit::Image;
using pixels::alpha;

// Every symbol the program shows.
const char* const symbolNames[] = {
    "menubar.arrow.up.rectangle",
    "menubar.rectangle",
    "arrow.up.to.line",
    "arrow.down.to.line",
    "chevron.up",
    "chevron.down",
    "arrowtriangle.up.fill",
    "arrowtriangle.down.fill",
    "eye.slash",
    "eye",
    "pin.slash",
    "pin",
    "rectangle.dashed",
    "rectangle.topthird.inset.filled",
    "plus",
    "minus",
};

Image symbol(const char* name) {
    return Image::symbol(name).value();
}

TEST(SymbolImageTest, EverySymbolDrawsALineDrawingThatFitsItsBox) {
    for (const char* name : symbolNames) {
        SCOPED_TRACE(name);
        auto image = Image::symbol(name, "description");
        ASSERT_TRUE(image);
        EXPECT_TRUE(image->isTemplate());
        EXPECT_EQ(image->size(), (kit::Size{16, 16}));

        auto bitmap = image->render(4);
        ASSERT_EQ(bitmap.width(), 64);
        auto ink = pixels::inkBounds(bitmap);
        // Large enough to read, small enough to leave a margin, never a filled box.
        EXPECT_GE(std::max(ink.width(), ink.height()), 40);
        EXPECT_GE(ink.minX(), 1);
        EXPECT_LE(ink.maxX(), 63);
        EXPECT_LT(pixels::inkedPixelCount(bitmap), 64 * 64 / 2);
    }
}

TEST(SymbolImageTest, OnlyNamesWeDrewAreSymbols) {
    EXPECT_FALSE(Image::symbol("no.such.symbol"));
    EXPECT_FALSE(Image::symbol(""));
    EXPECT_FALSE(Image::symbol("eye.slash.fill"));
}

TEST(SymbolImageTest, SymbolsTakeTheirTintEvenlyAcrossCrossingStrokes) {
    auto plus = symbol("plus");
    auto red = plus.render(2, Color::systemRedColor());
    auto centre = red.pixel(16, 16);
    EXPECT_EQ(alpha(centre), 255);
    EXPECT_EQ(pixels::red(centre), 255);
    EXPECT_EQ(pixels::green(centre), 59);

    // The label colour by default: black, translucent, and no darker where the arms cross.
    auto plain = plus.render(2);
    int armAlpha = alpha(plain.pixel(16, 8));
    EXPECT_NEAR(armAlpha, 0.85 * 255, 1);
    EXPECT_EQ(alpha(plain.pixel(16, 16)), armAlpha);
    EXPECT_EQ(pixels::red(plain.pixel(16, 16)), 0);
}

TEST(SymbolImageTest, SymbolsScaleToTheirRectAndKeepTheirProportions) {
    auto minus = symbol("minus");
    kit::Bitmap bitmap(64, 32);
    {
        kit::GraphicsContext context(bitmap, 1);
        context.drawImage(minus, {0, 0, 64, 32});
    }
    auto ink = pixels::inkBounds(bitmap);
    EXPECT_NEAR(ink.midX(), 32, 1);
    EXPECT_NEAR(ink.midY(), 16, 1);
    EXPECT_NEAR(ink.width(), 2 * pixels::inkBounds(minus.render(1)).width(), 2);
}

TEST(SymbolImageTest, ApplicationIconsKeepTheirOwnColours) {
    kit::Bitmap blue(2, 2);
    blue.image().pixels.assign(4, 0xff0000ff);
    auto icon = Image::fromBitmap(blue, {8, 8});
    EXPECT_FALSE(icon.isTemplate());
    auto rendered = icon.render(2, Color::systemRedColor());
    ASSERT_EQ(rendered.width(), 16);
    for (auto pixel : rendered.image().pixels) ASSERT_EQ(pixel, 0xff0000ffu);

    auto generic = Image::genericApplicationIcon();
    EXPECT_FALSE(generic.isTemplate());
    EXPECT_EQ(generic.size(), (kit::Size{32, 32}));
    auto drawnIcon = generic.render(2);
    EXPECT_EQ(alpha(drawnIcon.pixel(32, 32)), 255);
    EXPECT_EQ(alpha(drawnIcon.pixel(0, 0)), 0);
}

TEST(SymbolImageTest, ImagesAreEqualByNameOrBySharedPixels) {
    EXPECT_EQ(symbol("eye"), symbol("eye"));
    EXPECT_NE(symbol("eye"), symbol("eye.slash"));
    EXPECT_NE(symbol("eye"), Image::symbol("eye", "Shown").value());
    auto larger = symbol("eye");
    larger.setSize({18, 18});
    EXPECT_NE(larger, symbol("eye"));

    auto icon = Image::fromBitmap(kit::Bitmap(2, 2), {16, 16});
    auto copy = icon;
    EXPECT_EQ(copy, icon);
    EXPECT_NE(Image::fromBitmap(kit::Bitmap(2, 2), {16, 16}), icon);
    EXPECT_EQ(Image::genericApplicationIcon(), Image::genericApplicationIcon());
}

TEST(SymbolImageTest, PNGFilesBecomeImagesOfTheirPixelSize) {
    kit::Bitmap bitmap(24, 12);
    bitmap.image().pixels.assign(24 * 12, 0xff336699);
    auto path = std::filesystem::path(testing::TempDir()) / "tarnwick-symbol-test.png";
    ASSERT_TRUE(bitmap.writePNG(path.string()));
    auto image = Image::fromPNGFile(path.string());
    std::filesystem::remove(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (kit::Size{24, 12}));
    EXPECT_EQ(image->render(1).image(), bitmap.image());
    EXPECT_FALSE(Image::fromPNGFile(path.string()));
}

}  // namespace
