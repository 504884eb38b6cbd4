// Mirror, rotation, scaling and promotion in the imaging library, held to
// plain references where there is a fast path.
#include "core/editing/transform_ops.h"
#include "core/imageman/imageman.h"
#include "core/imageman/resample.h"
#include "core/imageman/rotate.h"
#include "core/imageman/scale.h"
#include "core/test_support.h"
#include "transform_reference.h"

#include <gtest/gtest.h>

#include <random>

using core::Bitmap;
using core::Rgbq;
namespace im = core::imageman;

namespace {

// A smooth 24-bit picture, so interpolation differences stay small.
Bitmap Smooth(int w, int h) {
    Bitmap bm = Bitmap::Create(w, h, 24).value();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bm.row(y)[3 * x] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.3));
            bm.row(y)[3 * x + 1] = static_cast<std::uint8_t>(128 + 100 * std::cos(y * 0.2));
            bm.row(y)[3 * x + 2] = static_cast<std::uint8_t>((x * 7 + y * 3) & 0xFF);
        }
    return bm;
}

} // namespace

TEST(TransformGeometry, QuarterTurnsAreExactAtEveryDepth) {
    for (int bits : {1, 4, 8, 24}) {
        const Bitmap src = testsupport::RandomPicture(3, 2, bits, 7u + bits);
        // A clockwise quarter turn: the left column becomes the top row, read bottom up.
        auto cw = core::RotateClockwise(src, 9000);
        ASSERT_TRUE(cw) << bits;
        ASSERT_EQ(cw->width(), 2);
        ASSERT_EQ(cw->height(), 3);
        EXPECT_EQ(cw->bits(), bits);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 2; ++x)
                EXPECT_EQ(cw->pixel(x, y), src.pixel(y, 1 - x)) << bits;
        auto half = core::RotateClockwise(src, 18000);
        ASSERT_TRUE(half);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(half->pixel(x, y), src.pixel(2 - x, 1 - y));
        auto back = core::RotateClockwise(*cw, 27000);
        ASSERT_TRUE(back);
        EXPECT_TRUE(testsupport::SameColours(*back, src)) << bits;
    }
}

TEST(TransformGeometry, FlipTwiceIsTheIdentity) {
    for (int bits : {1, 4, 8, 24}) {
        const Bitmap src = testsupport::RandomPicture(13, 5, bits, 3u + bits);
        for (bool vertical : {false, true}) {
            auto once = core::FlipPicture(src, vertical);
            ASSERT_TRUE(once);
            EXPECT_EQ(once->pixel(0, 0), vertical ? src.pixel(0, 4) : src.pixel(12, 0));
            auto twice = core::FlipPicture(*once, vertical);
            ASSERT_TRUE(twice);
            EXPECT_TRUE(testsupport::SameColours(*twice, src)) << bits << vertical;
        }
    }
}

TEST(TransformGeometry, AnyAngleFollowsTheReference) {
    const Bitmap src = Smooth(41, 23);
    const Rgbq white{255, 255, 255, 0};
    for (int angle : {3000, 4500, 12345, 33000}) {
        auto out = im::RotatePicture(src, angle, white);
        ASSERT_TRUE(out);
        int w = 0, h = 0;
        im::RotatedSize(41, 23, angle, &w, &h);
        EXPECT_EQ(out->width(), w);
        const Bitmap ref = reference::Rotate24(src, angle, w, h, white);
        EXPECT_LE(testsupport::MaxColourDiff(*out, ref), 2) << angle;
        EXPECT_EQ(out->rgb(0, 0), 0xFFFFFFu); // a corner is fill
    }
    // Indexed pictures keep their palette; the fill is its entry nearest to white.
    Bitmap pal = testsupport::RandomPicture(20, 10, 8, 5);
    pal.palette()[17] = Rgbq{250, 251, 252, 0};
    auto turned = im::RotatePicture(pal, 4500, white);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->palette(), pal.palette());
    EXPECT_EQ(turned->pixel(0, 0), 17u);
}

// The any-angle path at quarter turns lands on pixel centres: it must give the
// exact turn. The picture is large enough for several tiles and bands.
TEST(TransformGeometry, AnyAnglePathAtQuarterTurnsIsExact) {
    const Rgbq fill{1, 2, 3, 0};
    for (int bits : {1, 4, 8, 24}) {
        const Bitmap src = testsupport::RandomPicture(150, 83, bits, 40u + bits);
        for (int angle : {9000, 18000, 27000, -9000}) {
            SCOPED_TRACE(testing::Message() << bits << " bits at " << angle);
            auto exact = im::RotatePicture(src, angle, fill);
            auto general = im::RotateAnyAngle(src, angle, fill);
            ASSERT_TRUE(exact && general);
            ASSERT_EQ(general->width(), exact->width());
            ASSERT_EQ(general->height(), exact->height());
            EXPECT_TRUE(testsupport::SameColours(*general, *exact));
        }
    }
}

TEST(TransformGeometry, ResampleFollowsTheReference) {
    const Bitmap src = Smooth(37, 29);
    for (auto [w, h] : {std::pair{18, 14}, {10, 29}, {80, 61}, {50, 12}}) {
        auto out = im::Resample(src, im::Rect{0, 0, 37, 29}, w, h);
        ASSERT_TRUE(out);
        EXPECT_LE(testsupport::MaxColourDiff(*out, reference::Resample24(src, w, h)), 1)
            << w << "x" << h;
    }
    // Flat areas stay exactly flat, also where bicubic weights go negative.
    Bitmap flat = Bitmap::Create(9, 9, 24).value();
    for (int y = 0; y < 9; ++y)
        std::fill(flat.row(y), flat.row(y) + 27, 201);
    auto big = im::Resample(flat, im::Rect{0, 0, 9, 9}, 31, 5);
    ASSERT_TRUE(big);
    for (int y = 0; y < 5; ++y)
        for (int i = 0; i < 93; ++i)
            ASSERT_EQ(big->row(y)[i], 201);
}

TEST(TransformGeometry, PreserveModesKeepThinLines) {
    // White 1-bit page with one black vertical line and one black row.
    Bitmap page = Bitmap::Create(64, 64, 1).value();
    page.palette() = {Rgbq{0, 0, 0, 0}, Rgbq{255, 255, 255, 0}};
    for (int y = 0; y < 64; ++y)
        std::fill(page.row(y), page.row(y) + page.stride(), 0xFF);
    for (int y = 0; y < 64; ++y)
        page.row(y)[2] &= static_cast<std::uint8_t>(~0x04); // x = 21
    std::fill(page.row(37), page.row(37) + page.stride(), 0);
    auto black = im::PreservingCopy(page, im::Rect{0, 0, 64, 64}, 16, 16, true);
    ASSERT_TRUE(black);
    EXPECT_EQ(black->bits(), 1);
    for (int y = 0; y < 16; ++y)
        EXPECT_EQ(black->pixel(5, y), 0u) << y;
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(black->pixel(x, 9), 0u) << x;
    EXPECT_EQ(black->pixel(0, 0), 1u);
    // Preserve White drops the dark lines; Normal is a nearest copy.
    auto white = im::PreservingCopy(page, im::Rect{0, 0, 64, 64}, 16, 16, false);
    ASSERT_TRUE(white);
    for (int y = 0; y < 16; ++y)
        EXPECT_EQ(white->pixel(5, y), 1u);
    // Enlarging is a nearest copy in every mode.
    auto up = im::PreservingCopy(page, im::Rect{0, 0, 64, 64}, 128, 128, true);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->pixel(42, 0), 0u);
    EXPECT_EQ(up->pixel(44, 0), 1u);
}

TEST(TransformGeometry, ResampleRulesAndPromote) {
    const Bitmap four = testsupport::RandomPicture(40, 30, 4, 9);
    bool skipped = true;
    auto r = core::ResamplePicture(four, 20, 15, &skipped);
    ASSERT_TRUE(r);
    EXPECT_FALSE(skipped);
    EXPECT_EQ(r->bits(), 4); // resized, not resampled
    EXPECT_EQ(r->width(), 20);

    const Bitmap eight = testsupport::RandomPicture(40, 30, 8, 10);
    auto narrow = core::ResamplePicture(eight, 15, 30, &skipped);
    ASSERT_TRUE(narrow);
    EXPECT_TRUE(skipped);
    EXPECT_EQ(narrow->width(), 40);
    auto half = core::ResamplePicture(eight, 20, 16, &skipped);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->bits(), 24);

    for (int target : {4, 8, 24}) {
        const Bitmap one = testsupport::RandomPicture(11, 3, 1, 11);
        auto up = core::PromotePicture(one, target);
        ASSERT_TRUE(up);
        EXPECT_EQ(up->bits(), target);
        EXPECT_TRUE(testsupport::SameColours(*up, one));
    }
}

TEST(TransformGeometry, LibraryCallsCheckTheirArguments) {
    const im::HIMAGE h = im::ImgFromBitmap(testsupport::RandomPicture(8, 8, 24, 1));
    ASSERT_NE(h, 0);
    EXPECT_EQ(im::ImgIncreaseColors(h, 8), 0); // 24 → 8 is no increase
    EXPECT_EQ(im::ImgReduceColors(h, 7, 20), 0);
    EXPECT_EQ(im::ImgReduceColors(h, 256, 99), 0);
    EXPECT_EQ(im::ImgCopy(h, 0, 5, nullptr, 4), 0);
    EXPECT_EQ(im::ImgRotate(12345678, 100, Rgbq{}), 0);
    EXPECT_EQ(im::ImgGetStatus(), im::IMG_BAD_HANDLE);
    EXPECT_NE(im::ImgMirror(h, 1, 1), 0);
    EXPECT_NE(im::ImgGamma(h, 20), 0);
    im::ImgClose(h);
}
