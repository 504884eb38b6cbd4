// The fast filters against the literal reference loops, and the cases that
// show the kernels and edge rules are right.
#include "core/editing/convolution.h"
#include "core/editing/median.h"
#include "core/editing/parallel_rows.h"
#include "core/editing/threshold_mean.h"

#include "core/test_support.h"
#include "editing_reference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace core::editing;

namespace {

// Sizes that hit the short paths: 1–4 rows, widths under and over one lane group.
const std::pair<int, int> kSizes[] = {{1, 1},  {2, 2},  {3, 3},  {5, 4},   {7, 1},   {11, 2},
                                      {10, 3}, {13, 4}, {33, 9}, {61, 17}, {130, 40}};

// Noise over the full byte range and over a few values (many ties).
core::Bitmap Picture(int w, int h, std::uint32_t seed, bool fewValues) {
    core::Bitmap pic = reference::Noise(w, h, seed);
    if (fewValues)
        for (int y = 0; y < h; ++y)
            for (int i = 0; i < w * 3; ++i)
                pic.row(y)[i] = static_cast<std::uint8_t>((pic.row(y)[i] & 3) * 85);
    return pic;
}

void ExpectSameAsReference(const std::function<void(core::Bitmap&)>& fast,
                           const std::function<void(core::Bitmap&)>& plain, const char* what) {
    std::uint32_t seed = 1;
    for (auto [w, h] : kSizes)
        for (bool few : {false, true}) {
            core::Bitmap a = Picture(w, h, seed++, few), b = a;
            fast(a);
            plain(b);
            ASSERT_TRUE(testsupport::SameColours(a, b))
                << what << " " << w << "x" << h << (few ? " few" : "");
        }
}

} // namespace

TEST(Kernels, WeightsAndDivisors) {
    const Kernel3x3 mr8 = MeanRemovalKernel(8);
    EXPECT_EQ(mr8.weights, (std::array<std::int16_t, 9>{-1, -1, -1, -1, 9, -1, -1, -1, -1}));
    EXPECT_EQ(mr8.divisor, 1);
    EXPECT_EQ(MeanRemovalKernel(1).weights[4], 16);
    EXPECT_EQ(MeanRemovalKernel(1).divisor, 8);
    EXPECT_EQ(HighPassMediumKernel(2).weights,
              (std::array<std::int16_t, 9>{0, -1, 0, -1, 7, -1, 0, -1, 0}));
    EXPECT_EQ(HighPassLightKernel(4).divisor, 1);
    EXPECT_EQ(HighPassLightKernel(1).weights,
              (std::array<std::int16_t, 9>{1, -2, 1, -2, 8, -2, 1, -2, 1}));
    const int centres[7] = {32, 16, 8, 6, 5, 4, 3};
    for (int s = 1; s <= 7; ++s) {
        EXPECT_EQ(SoftenKernel(s).weights[4], centres[s - 1]);
        EXPECT_EQ(SoftenKernel(s).divisor, 12 + centres[s - 1]);
    }
    EXPECT_EQ(SoftenKernel(8).divisor, 120);
    EXPECT_EQ(SoftenKernel(9).divisor, 120);
    EXPECT_EQ(SoftenKernel(10).weights,
              (std::array<std::int16_t, 9>{13, 14, 13, 14, 15, 14, 13, 14, 13}));
    EXPECT_EQ(SoftenKernel(10).divisor, 123);
    // Defocus: slider 1 → a = 254, slider 255 → a = 0 (a plain average).
    EXPECT_EQ(DefocusKernel(254).weights,
              (std::array<std::int16_t, 9>{1, 10, 1, 10, 102, 10, 1, 10, 1}));
    EXPECT_EQ(DefocusKernel(254).divisor, 146);
    EXPECT_EQ(DefocusKernel(0).weights, (std::array<std::int16_t, 9>{1, 1, 1, 1, 1, 1, 1, 1, 1}));
    // Every amount: d is the largest with 25d ≤ a (at least 1) and c the smallest ≥ d².
    for (int a = 0; a <= 254; ++a) {
        const Kernel3x3 k = DefocusKernel(a);
        const int d = k.weights[1], c = k.weights[4];
        EXPECT_EQ(d, std::max(1, std::min(12, a / 25))) << a;
        EXPECT_GE(c * 100 / (4 * d), a);
        EXPECT_TRUE(c == d * d || (c - 1) * 100 / (4 * d) < a) << a;
    }
}

TEST(Spatial3x3, MatchesReferenceForEveryKernel) {
    for (int s = 1; s <= 8; ++s) {
        const Kernel3x3 k = MeanRemovalKernel(s);
        ExpectSameAsReference(
            [&](core::Bitmap& p) { Spatial3x3(p, k); },
            [&](core::Bitmap& p) { reference::Spatial3x3(p, k.weights, k.divisor); },
            "mean removal");
    }
    for (int s = 1; s <= 4; ++s)
        for (const Kernel3x3& k : {HighPassMediumKernel(s), HighPassLightKernel(s)})
            ExpectSameAsReference(
                [&](core::Bitmap& p) { Spatial3x3(p, k); },
                [&](core::Bitmap& p) { reference::Spatial3x3(p, k.weights, k.divisor); },
                "high pass");
    for (int s = 1; s <= 10; ++s) {
        const Kernel3x3 k = SoftenKernel(s);
        ExpectSameAsReference(
            [&](core::Bitmap& p) { Spatial3x3(p, k); },
            [&](core::Bitmap& p) { reference::Spatial3x3(p, k.weights, k.divisor); }, "soften");
    }
    for (int a = 0; a <= 254; a += 23) {
        const Kernel3x3 k = DefocusKernel(a);
        ExpectSameAsReference(
            [&](core::Bitmap& p) { Spatial3x3(p, k); },
            [&](core::Bitmap& p) { reference::Spatial3x3(p, k.weights, k.divisor); }, "defocus");
    }
}

TEST(Spatial3x3, FlatGrayStaysAndBorderIsUntouched) {
    core::Bitmap flat = core::Bitmap::Create(20, 20, 24).value();
    for (int y = 0; y < 20; ++y)
        std::memset(flat.row(y), 117, 60);
    const core::Bitmap before = flat;
    for (int s = 1; s <= 8; ++s)
        Spatial3x3(flat, MeanRemovalKernel(s));
    for (int s = 1; s <= 4; ++s)
        Spatial3x3(flat, HighPassLightKernel(s));
    EXPECT_TRUE(testsupport::SameColours(flat, before));

    core::Bitmap pic = reference::Noise(9, 8, 99);
    const core::Bitmap orig = pic;
    Spatial3x3(pic, MeanRemovalKernel(8));
    for (int y : {0, 6, 7})
        EXPECT_EQ(std::memcmp(pic.row(y), orig.row(y), 27), 0) << y;
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(std::memcmp(pic.row(y), orig.row(y), 3), 0);
        EXPECT_EQ(std::memcmp(pic.row(y) + 24, orig.row(y) + 24, 3), 0);
    }
    EXPECT_FALSE(testsupport::SameColours(pic, orig));
    // Strong sharpening clips: a white dot on black reaches 255, its ring 0.
    core::Bitmap dot = core::Bitmap::Create(5, 5, 24).value();
    dot.row(2)[6] = 200;
    Spatial3x3(dot, MeanRemovalKernel(8));
    EXPECT_EQ(dot.row(2)[6], 255);
    EXPECT_EQ(dot.row(1)[6], 0);
}

TEST(GaussianBlur3x3, MatchesReferenceAtAllThresholds) {
    for (int t = 0; t <= 254; t += 7) {
        ExpectSameAsReference([&](core::Bitmap& p) { GaussianBlur3x3(p, t, false, 9); },
                              [&](core::Bitmap& p) { reference::GaussianBlur3x3(p, t, false, 9); },
                              "gaussian");
        ExpectSameAsReference([&](core::Bitmap& p) { GaussianBlur3x3(p, t, true, 8); },
                              [&](core::Bitmap& p) { reference::GaussianBlur3x3(p, t, true, 8); },
                              "outlier");
    }
}

TEST(GaussianBlur3x3, OutlierAtFullStrengthAveragesEightCountedPixels) {
    core::Bitmap pic = core::Bitmap::Create(7, 7, 24).value();
    for (int y = 0; y < 7; ++y)
        std::memset(pic.row(y), 40, 21);
    pic.row(3)[9] = 240; // one channel of the centre pixel
    GaussianBlur3x3(pic, 0, true, 8);
    // 7 neighbours of 40 and itself; the pixel below the centre is left out.
    EXPECT_EQ(pic.row(3)[9], (7 * 40 + 240) / 8);
    // Gaussian at 255 (threshold 0) is the plain average there.
    core::Bitmap g = core::Bitmap::Create(7, 7, 24).value();
    for (int y = 0; y < 7; ++y)
        std::memset(g.row(y), 40, 21);
    g.row(3)[9] = 240;
    GaussianBlur3x3(g, 0, false, 9);
    EXPECT_EQ(g.row(3)[9], (8 * 40 + 240) / 9);
    EXPECT_EQ(g.row(2)[9], (8 * 40 + 240) / 9);
}

TEST(Median, ShapesHaveTheirCellCounts) {
    const int counts[9] = {5, 9, 9, 13, 17, 25, 25, 37, 49};
    const int sizes[9] = {3, 3, 5, 5, 7, 5, 7, 7, 7};
    for (int s = 1; s <= 9; ++s) {
        EXPECT_EQ(static_cast<int>(MedianShapeFor(s).cells.size()), counts[s - 1]) << s;
        EXPECT_EQ(MedianShapeFor(s).size, sizes[s - 1]);
    }
}

TEST(Median, MatchesReferenceAtEveryStrength) {
    for (int s = 1; s <= 9; ++s)
        ExpectSameAsReference([&](core::Bitmap& p) { Median(p, s); },
                              [&](core::Bitmap& p) { reference::Median(p, s); }, "median");
}

TEST(Median, LoneBrightPixelDisappearsAtEveryStrength) {
    for (int s = 1; s <= 9; ++s) {
        core::Bitmap pic = core::Bitmap::Create(12, 12, 24).value();
        for (int y = 0; y < 12; ++y)
            std::memset(pic.row(y), 30, 36);
        std::memset(pic.row(6) + 18, 255, 3);
        Median(pic, s);
        for (int y = 0; y < 12; ++y)
            for (int i = 0; i < 36; ++i)
                ASSERT_EQ(pic.row(y)[i], 30) << s;
    }
}

// The in-place filters save the rows at band edges before any band runs. A
// tall picture cut into many small bands, run one after another in both
// orders (a band then always finds its neighbours' rows already written, or
// not yet), must give the plain reference's bytes.
TEST(FilterBands, ManySmallBandsInAnyOrderMatchTheReference) {
    struct Restore {
        BandPolicy saved = CurrentBandPolicy();
        ~Restore() { SetBandPolicy(saved); }
    } restore;
    const Kernel3x3 kernels[] = {MeanRemovalKernel(8), SoftenKernel(3), DefocusKernel(100)};
    for (auto order :
         {BandPolicy::Order::Forward, BandPolicy::Order::Backward, BandPolicy::Order::Parallel}) {
        SetBandPolicy({.minRows = 3, .maxBands = 16, .order = order});
        ASSERT_GE(SplitRows(0, 117).size(), 12u);
        SCOPED_TRACE(order == BandPolicy::Order::Forward    ? "bands in order"
                     : order == BandPolicy::Order::Backward ? "bands last first"
                                                            : "bands on threads");
        const core::Bitmap source = Picture(23, 120, 77, false);
        for (const Kernel3x3& k : kernels) {
            core::Bitmap fast = source, plain = source;
            Spatial3x3(fast, k);
            reference::Spatial3x3(plain, k.weights, k.divisor);
            EXPECT_TRUE(testsupport::SameColours(fast, plain)) << "kernel " << k.divisor;
        }
        core::Bitmap fast = source, plain = source;
        GaussianBlur3x3(fast, 20, false, 9);
        reference::GaussianBlur3x3(plain, 20, false, 9);
        EXPECT_TRUE(testsupport::SameColours(fast, plain)) << "gaussian";
        fast = source, plain = source;
        Median(fast, 4);
        reference::Median(plain, 4);
        EXPECT_TRUE(testsupport::SameColours(fast, plain)) << "median";
    }
}
