// Colour tables against the formulas in exact arithmetic, and applying them.
#include "core/editing/color_lut.h"

#include "editing_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace core::editing;

namespace {

// Nearest integer of the rational num / den (den > 0), ties to even.
int NearestRational(long long num, long long den) {
    long long q = num / den, r = num % den;
    if (r < 0) {
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q & 1))) ++q;
    return static_cast<int>(q);
}

} // namespace

TEST(ColorLut, GammaEveryEntryMatchesLongDouble) {
    for (int a = 1; a <= 500; ++a) {
        const Lut t = GammaTable(a);
        EXPECT_EQ(t[0], 0);
        for (int i = 1; i < 256; ++i) {
            const long double x =
                255.0L * std::pow(static_cast<long double>(i) / 255.0L, 100.0L / a);
            // A value this close to a half would need more than long double to settle.
            ASSERT_GT(std::fabs(x - std::floor(x) - 0.5L), 1e-12L) << "a=" << a << " i=" << i;
            ASSERT_EQ(t[i], static_cast<int>(std::nearbyint(x))) << "a=" << a << " i=" << i;
        }
    }
    const Lut id = GammaTable(100);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(id[i], i);
}

TEST(ColorLut, BrightnessEveryEntryMatchesRational) {
    for (int v = -127; v <= 127; ++v) {
        const Lut t = BrightTable(v);
        const int k = (v + 127) * 100 / 127;
        EXPECT_EQ(t[0], 0);
        for (int i = 1; i < 256; ++i)
            ASSERT_EQ(t[i], std::min(255, NearestRational(i * k, 100))) << v << " " << i;
    }
    const Lut black = BrightTable(-127), same = BrightTable(0), doubled = BrightTable(127);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(black[i], 0);
        EXPECT_EQ(same[i], i);
        EXPECT_EQ(doubled[i], std::min(255, 2 * i));
    }
    // v = −63 gives k = 50: the ties 0.5 and 1.5 go to the even 0 and 2.
    const Lut half = BrightTable(-63);
    EXPECT_EQ(half[1], 0);
    EXPECT_EQ(half[3], 2);
}

TEST(ColorLut, ContrastEveryEntryMatchesRational) {
    for (int v = -127; v <= 127; ++v) {
        const Lut t = ContrastTable(v);
        const int k = v > 0 ? (v + 127) * 100 / 127 : std::abs(v) * 100 / 127;
        for (int x = 1; x < 256; ++x) {
            // x' = num / 100 in exact integers
            long long num;
            if (k >= 100) {
                const int d = k - 100;
                num = x > 127 ? 100LL * x + (x - 128) * d : 100LL * x - (127 - x) * d;
            } else if (x > 127) {
                num = std::max(100LL * x - (x - 128) * k, 12800LL);
            } else {
                num = std::min(100LL * x + (127 - x) * k, 12800LL);
            }
            num = std::clamp(num, 0LL, 25500LL);
            ASSERT_EQ(t[x], NearestRational(num, 100)) << v << " " << x;
        }
    }
    const Lut zero = ContrastTable(0), minus127 = ContrastTable(-127),
              minus126 = ContrastTable(-126);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(zero[i], i);
        EXPECT_EQ(minus127[i], i);
    }
    EXPECT_EQ(minus126[0], 0);
    for (int i = 1; i < 256; ++i) {
        EXPECT_GE(minus126[i], 126);
        EXPECT_LE(minus126[i], 129);
    }
    const Lut more = ContrastTable(127);
    EXPECT_EQ(more[255], 255);
    EXPECT_EQ(more[1], 0);
    EXPECT_EQ(more[138], 148); // distance from 128 doubled
}

TEST(ColorLut, FilterMapsChannelsByteOrderBlueGreenRed) {
    core::Bitmap pic = reference::Noise(37, 5, 7);
    const core::Bitmap before = pic;
    ColorLuts luts = ColorLuts::Identity();
    SetGammaLUT(luts, 200, 0); // red only
    ColorFilterBitmap(pic, luts);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 37; ++x) {
            const std::uint8_t* a = before.row(y) + 3 * x;
            const std::uint8_t* b = pic.row(y) + 3 * x;
            EXPECT_EQ(b[0], a[0]);
            EXPECT_EQ(b[1], a[1]);
            EXPECT_EQ(b[2], luts.red[a[2]]);
        }
    // padding bytes of the rows are not touched
    EXPECT_EQ(std::memcmp(before.row(0) + 111, pic.row(0) + 111, pic.stride() - 111), 0);
}

TEST(ColorLut, NegativeTwiceIsIdentityAtEveryDepth) {
    for (int bits : {1, 4, 8, 24}) {
        core::Bitmap pic = core::Bitmap::Create(13, 3, bits).value();
        for (int y = 0; y < 3; ++y)
            for (std::size_t i = 0; i < pic.stride(); ++i)
                pic.row(y)[i] = static_cast<std::uint8_t>(i * 37 + y);
        // Clear padding so the comparison is about pixels.
        InvertPixels(pic);
        InvertPixels(pic);
        const core::Bitmap once = pic;
        InvertPixels(pic);
        for (int x = 0; x < 13; ++x) {
            const std::uint32_t mask = bits == 24 ? 0xFFFFFFu : (1u << bits) - 1;
            EXPECT_EQ(pic.pixel(x, 1), ~once.pixel(x, 1) & mask) << bits;
        }
        InvertPixels(pic);
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(std::memcmp(pic.row(y), once.row(y), pic.stride()), 0) << bits;
    }
}
