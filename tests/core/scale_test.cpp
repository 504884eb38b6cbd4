#include "core/imageman/scale.h"

#include <gtest/gtest.h>

using core::Bitmap;
using core::imageman::AreaAverage;
using core::imageman::NearestCopy;
using core::imageman::Rect;

namespace {
Bitmap Checker1Bit(int w, int h) {
    auto bm = Bitmap::Create(w, h, 1).value();
    bm.palette() = {core::Rgbq{0, 0, 0, 0}, core::Rgbq{255, 255, 255, 0}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x + y) & 1) bm.row(y)[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    return bm;
}
} // namespace

TEST(AreaAverage, HalvingAveragesEachBlock) {
    const Bitmap src = Checker1Bit(16, 16);
    auto out = AreaAverage(src, Rect{0, 0, 16, 16}, 8, 8, true);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->bits(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(out->row(y)[x], 128) << x << "," << y;
}

TEST(AreaAverage, FractionalFactorsWeighByCoveredArea) {
    // 3 pixels (0, 90, 180) into 2: the middle one is split evenly.
    auto src = Bitmap::Create(3, 1, 24).value();
    for (int x = 0; x < 3; ++x) src.row(0)[3 * x] = src.row(0)[3 * x + 1] = src.row(0)[3 * x + 2] = static_cast<std::uint8_t>(90 * x);
    auto out = AreaAverage(src, Rect{0, 0, 3, 1}, 2, 1, false);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->row(0)[0], 30);  // (0·2 + 90·1) / 3
    EXPECT_EQ(out->row(0)[3], 150); // (90·1 + 180·2) / 3
}

TEST(AreaAverage, SourceRectangleAndBadArguments) {
    const Bitmap src = Checker1Bit(20, 20);
    auto out = AreaAverage(src, Rect{0, 0, 8, 8}, 4, 4, true);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->width(), 4);
    EXPECT_FALSE(AreaAverage(src, Rect{0, 0, 21, 8}, 4, 4, true));
    EXPECT_FALSE(AreaAverage(src, Rect{5, 5, 5, 8}, 4, 4, true));
}

TEST(NearestCopy, KeepsDepthAndPalette) {
    const Bitmap src = Checker1Bit(8, 8);
    auto out = NearestCopy(src, Rect{0, 0, 8, 8}, 16, 16);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->bits(), 1);
    EXPECT_EQ(out->palette(), src.palette());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(out->pixel(x, y), src.pixel(x / 2, y / 2));
}
