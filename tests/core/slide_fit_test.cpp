// Slides made ready for the screen: how they are shrunk into the box, and
// what an 8-bit display's palette handling makes of them.
#include "core/slideshow/slide_fit.h"

#include <gtest/gtest.h>

#include <set>

namespace fx = core::slideshow;

namespace {

core::Bitmap Rgb(int w, int h) {
    core::Bitmap b = core::Bitmap::Create(w, h, 24).value();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x * 7);       // blue
            p[1] = static_cast<std::uint8_t>(y * 5);       // green
            p[2] = static_cast<std::uint8_t>(x * 3 + y);   // red
        }
    return b;
}

std::set<std::uint32_t> Colours(const core::Bitmap& b) {
    std::set<std::uint32_t> c;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            c.insert(b.rgb(x, y));
    return c;
}

} // namespace

TEST(SlideFit, ShrinksIntoTheBoxByDepth) {
    // Fits already: untouched, depth kept.
    auto same = fx::FitSlideIntoBox(core::Bitmap::Create(40, 30, 8).value(), 40, 30);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->width(), 40);
    EXPECT_EQ(same->bits(), 8);

    // Colour pictures are resampled to 24 bits with their proportions.
    auto colour = fx::FitSlideIntoBox(Rgb(200, 100), 50, 50);
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->width(), 50);
    EXPECT_EQ(colour->height(), 25);
    EXPECT_EQ(colour->bits(), 24);

    // Line art is averaged to gray, so a one-pixel line still shows as gray.
    core::Bitmap art = core::Bitmap::Create(80, 80, 1).value();
    art.palette() = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x)
            if (x != 40) art.row(y)[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    auto gray = fx::FitSlideIntoBox(std::move(art), 20, 20);
    ASSERT_TRUE(gray);
    EXPECT_EQ(gray->bits(), 8);
    EXPECT_EQ(gray->width(), 20);
    const std::uint32_t line = gray->rgb(10, 10) & 0xFF;
    EXPECT_GT(line, 100u);
    EXPECT_LT(line, 255u);
}

TEST(SlideFit, FixedShowPaletteIsTheColourCube) {
    const auto& p = fx::FixedShowPalette();
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p[0].red + p[0].green + p[0].blue, 0);
    EXPECT_EQ(p[1].red, 51); // red varies fastest
    EXPECT_EQ(p[6].green, 51);
    EXPECT_EQ(p[36].blue, 51);
    EXPECT_EQ(p[215].red, 255);
    EXPECT_EQ(p[215].green, 255);
    EXPECT_EQ(p[215].blue, 255);
    for (int i = 216; i < 256; ++i)
        EXPECT_EQ(p[static_cast<std::size_t>(i)].red + p[static_cast<std::size_t>(i)].blue, 0);
}

TEST(SlideFit, EightBitDisplayPaletteHandling) {
    // Deeper displays keep the picture as it is.
    auto deep = fx::MatchSlideToDisplay(Rgb(64, 64), 24, 1);
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->picture.bits(), 24);
    EXPECT_FALSE(deep->fillFirst);

    // Optimal: 256 colours of its own, the area filled first.
    auto optimal = fx::MatchSlideToDisplay(Rgb(64, 64), 8, 0);
    ASSERT_TRUE(optimal);
    EXPECT_EQ(optimal->picture.bits(), 8);
    EXPECT_TRUE(optimal->fillFirst);

    // Fixed: only colours of the cube.
    auto fixed = fx::MatchSlideToDisplay(Rgb(64, 64), 8, 1);
    ASSERT_TRUE(fixed);
    EXPECT_FALSE(fixed->fillFirst);
    for (std::uint32_t c : Colours(fixed->picture))
        for (int shift : {0, 8, 16})
            EXPECT_EQ(((c >> shift) & 0xFF) % 51, 0u) << std::hex << c;

    // VGA: at most 16 colours.
    auto vga = fx::MatchSlideToDisplay(Rgb(64, 64), 8, 2);
    ASSERT_TRUE(vga);
    EXPECT_LE(Colours(vga->picture).size(), 16u);

    // An indexed picture on the fixed palette takes its nearest colours.
    core::Bitmap indexed = core::Bitmap::Create(4, 4, 8).value();
    indexed.palette()[0] = {10, 120, 250, 0};
    auto mapped = fx::MatchSlideToDisplay(std::move(indexed), 8, 1);
    ASSERT_TRUE(mapped);
    EXPECT_EQ(mapped->picture.bits(), 8);
    EXPECT_EQ(mapped->picture.rgb(0, 0), 0xFF6600u); // red 250, green 120, blue 10
}
