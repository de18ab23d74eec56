#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

TEST(SymbolImageTest, PictureFilesBecomeImagesOfTheirPixelSize) {
    auto folder = std::filesystem::path(testing::TempDir());
    kit::Bitmap bitmap(24, 12);
    bitmap.image().pixels.assign(24 * 12, 0xff336699);
    auto png = folder / "tarnwick-symbol-test.png";
    ASSERT_TRUE(bitmap.writePNG(png.string()));
    auto image = Image::fromFile(png.string(), 64);
    std::filesystem::remove(png);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (kit::Size{24, 12})) << "a PNG keeps its own size";
    EXPECT_EQ(image->render(1).image(), bitmap.image());
    EXPECT_FALSE(Image::fromFile(png.string(), 64));

    // Icons of desktop entries also come as XPM and SVG: straight RGBA turned
    // into premultiplied ARGB, an SVG fitted into the size asked for, a
    // picture larger than that fitted too.
    auto xpm = folder / "tarnwick-symbol-test.xpm";
    std::ofstream(xpm) << "/* XPM */\nstatic char *icon[] = {\n\"2 1 2 1\",\n"
                          "\"r c #FF0000\",\n\". c None\",\n\"r.\"};\n";
    auto fromXPM = Image::fromFile(xpm.string(), 64);
    std::filesystem::remove(xpm);
    ASSERT_TRUE(fromXPM);
    EXPECT_EQ(fromXPM->size(), (kit::Size{2, 1}));
    EXPECT_EQ(fromXPM->render(1).pixel(0, 0), 0xffff0000u);
    EXPECT_EQ(fromXPM->render(1).pixel(1, 0), 0u);

    auto svg = folder / "tarnwick-symbol-test.svg";
    std::ofstream(svg)
        << R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="20">)"
           R"(<rect width="10" height="20" fill="#0000ff" fill-opacity="0.5"/></svg>)";
    auto fromSVG = Image::fromFile(svg.string(), 64);
    std::filesystem::remove(svg);
    ASSERT_TRUE(fromSVG);
    EXPECT_EQ(fromSVG->size(), (kit::Size{32, 64}));
    auto pixel = fromSVG->render(1).pixel(16, 32);
    EXPECT_NEAR(int(pixel >> 24), 128, 1);
    EXPECT_EQ(pixel & 0xff, pixel >> 24) << "blue premultiplied by its alpha";
    EXPECT_EQ(pixel & 0x00ffff00, 0u);

    kit::Bitmap large(256, 128);
    ASSERT_TRUE(large.writePNG(png.string()));
    auto fitted = Image::fromFile(png.string(), 64);
    std::filesystem::remove(png);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->size(), (kit::Size{64, 32}));
}

}  // namespace
