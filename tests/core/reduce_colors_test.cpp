// Colour reduction: the fixed palettes and their nearest-colour search, the
// dithers, gray shades, the adaptive palettes and the method table.
#include "core/editing/transform_ops.h"
#include "core/editing/undo_backup.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/imageman.h"
#include "core/imageman/median_cut.h"
#include "core/imageman/reduce_colors.h"
#include "transform_reference.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using core::Bitmap;
using core::Rgbq;
namespace im = core::imageman;

namespace {

Bitmap Photo(int w, int h) {
    Bitmap bm = Bitmap::Create(w, h, 24).value();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bm.row(y)[3 * x] = static_cast<std::uint8_t>(x * 255 / (w - 1));
            bm.row(y)[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / (h - 1));
            bm.row(y)[3 * x + 2] = static_cast<std::uint8_t>(128 + 120 * std::sin((x + y) * 0.05));
        }
    return bm;
}

Bitmap Flat(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Bitmap bm = Bitmap::Create(w, h, 24).value();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bm.row(y)[3 * x] = b, bm.row(y)[3 * x + 1] = g, bm.row(y)[3 * x + 2] = r;
    return bm;
}

double MeanChannel(const Bitmap& bm, int shift) {
    double s = 0;
    for (int y = 0; y < bm.height(); ++y)
        for (int x = 0; x < bm.width(); ++x)
            s += (bm.rgb(x, y) >> shift) & 0xFF;
    return s / (bm.width() * bm.height());
}

} // namespace

TEST(ReduceColors, FixedPalettesMapToTheNearestEntry) {
    std::mt19937 rng(4);
    Bitmap noise = Bitmap::Create(64, 64, 24).value();
    for (int y = 0; y < 64; ++y)
        for (int i = 0; i < 192; ++i)
            noise.row(y)[i] = static_cast<std::uint8_t>(rng());
    for (int colors : {256, 16}) {
        auto out = im::ReduceColors(noise, colors, im::kReduceFixed);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->bits(), colors == 256 ? 8 : 4);
        const auto pal = im::FixedPalette(colors);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const std::uint32_t c = noise.rgb(x, y), o = out->rgb(x, y);
                const int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
                const int d = (r - int(o >> 16)) * (r - int(o >> 16)) +
                              (g - int((o >> 8) & 0xFF)) * (g - int((o >> 8) & 0xFF)) +
                              (b - int(o & 0xFF)) * (b - int(o & 0xFF));
                ASSERT_EQ(d, reference::NearestDistance(pal, r, g, b))
                    << colors << " at " << x << "," << y;
            }
    }
    // The 256-colour palette: the cube and 40 further grays, all distinct.
    const auto pal = im::FixedPalette(256);
    std::set<std::uint32_t> distinct;
    for (const Rgbq& q : pal)
        distinct.insert((q.red << 16) | (q.green << 8) | q.blue);
    EXPECT_EQ(distinct.size(), 256u);
}

TEST(ReduceColors, ErrorDiffusionKeepsTheMeanColour) {
    // A colour between palette entries: without diffusion it snaps, with it
    // the average stays.
    const Bitmap flat = Flat(64, 64, 100, 30, 200);
    for (int colors : {256, 16}) {
        auto out = im::ReduceColors(flat, colors, im::kReduceFixedDiffused);
        ASSERT_TRUE(out);
        // The 16 VGA colours are far apart: error cut off at the picture's edges shows more.
        const double tol = colors == 256 ? 2.5 : 5;
        EXPECT_NEAR(MeanChannel(*out, 16), 100, tol) << colors;
        EXPECT_NEAR(MeanChannel(*out, 8), 30, tol) << colors;
        EXPECT_NEAR(MeanChannel(*out, 0), 200, tol) << colors;
    }
    auto bw = im::ReduceColors(Flat(64, 64, 64, 64, 64), 2, im::kReduceOptimal);
    ASSERT_TRUE(bw);
    EXPECT_EQ(bw->bits(), 1);
    EXPECT_NEAR(MeanChannel(*bw, 8), 64, 2.5);
}

TEST(ReduceColors, BlackAndWhiteModes) {
    Bitmap ramp = Bitmap::Create(256, 8, 8).value(); // gray palette: index = level
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 256; ++x)
            ramp.row(y)[x] = static_cast<std::uint8_t>(x);
    auto th = im::ReduceColors(ramp, 2, im::kReduceThreshold);
    ASSERT_TRUE(th);
    EXPECT_EQ(th->rgb(127, 0), 0u);
    EXPECT_EQ(th->rgb(128, 0), 0xFFFFFFu);
    // Ordered dither: a flat half gray gives half the pixels white, in the
    // same 8 × 8 pattern everywhere.
    auto ord = im::ReduceColors(Flat(16, 16, 128, 128, 128), 2, im::kReduceOrdered);
    ASSERT_TRUE(ord);
    int white = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            white += ord->pixel(x, y) != 0;
            EXPECT_EQ(ord->pixel(x, y), ord->pixel(x & 7, y & 7));
        }
    EXPECT_EQ(white, 128);
    EXPECT_EQ(ord->pixel(0, 0), 1u);
}

TEST(ReduceColors, GrayShadesAndTheMethodTable) {
    EXPECT_EQ(core::ChooseReduction(1, 0, 24).mode, im::kReduceThreshold);
    EXPECT_EQ(core::ChooseReduction(1, 2, 24).mode, im::kReduceOptimal);
    EXPECT_EQ(core::ChooseReduction(8, 1, 24).mode, im::kReduceFixedDiffused);
    EXPECT_TRUE(core::ChooseReduction(8, 3, 24).imageLib);
    EXPECT_EQ(core::ChooseReduction(4, 3, 24).colors, 0);
    EXPECT_EQ(core::ChooseReduction(0, -1, 4).colors, 16);
    EXPECT_EQ(core::ChooseReduction(0, -1, 8).colors, 256);

    const Bitmap photo = Photo(64, 48);
    auto g256 = core::ReducePicture(photo, core::ChooseReduction(0, -1, 24));
    ASSERT_TRUE(g256);
    EXPECT_EQ(g256->bits(), 8);
    const std::uint32_t c = photo.rgb(10, 10);
    const int l = (77 * int(c >> 16) + 150 * int((c >> 8) & 0xFF) + 29 * int(c & 0xFF) + 128) >> 8;
    EXPECT_EQ(g256->pixel(10, 10), static_cast<std::uint32_t>(l));
    auto g16 = core::ReducePicture(photo, core::ChooseReduction(0, -1, 4));
    ASSERT_TRUE(g16);
    EXPECT_EQ(g16->bits(), 4);
    EXPECT_EQ(g16->palette(), core::GrayPalette(4));
}

TEST(ReduceColors, AdaptivePalettes) {
    // Twelve colours in blocks: both adaptive reductions give them back exactly.
    Bitmap blocks = Bitmap::Create(48, 32, 24).value();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
            const int k = (x / 8) + 6 * (y / 16);
            blocks.row(y)[3 * x] = static_cast<std::uint8_t>(20 * k);
            blocks.row(y)[3 * x + 1] = static_cast<std::uint8_t>(255 - 17 * k);
            blocks.row(y)[3 * x + 2] = static_cast<std::uint8_t>((k * 97) & 0xFF);
        }
    auto own = im::ReduceColors(blocks, 16, im::kReduceOptimal);
    ASSERT_TRUE(own);
    auto file = core::editing::PictureToDibFile(blocks);
    ASSERT_TRUE(file);
    Bitmap viaLib;
    ASSERT_EQ(core::imagelib::ReduceBmpColors(*file, 8, 1, &viaLib, {}), 1)
        << core::imagelib::LastError();
    EXPECT_EQ(viaLib.bits(), 8);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
            ASSERT_EQ(own->rgb(x, y), blocks.rgb(x, y)) << x << "," << y;
            ASSERT_EQ(viaLib.rgb(x, y), blocks.rgb(x, y)) << x << "," << y;
        }
    // On a smooth picture the own palette spends its entries well.
    const Bitmap photo = Photo(128, 96);
    const auto pal = im::OptimalPalette(photo, 256);
    EXPECT_EQ(pal.size(), 256u);
    auto reduced = im::ReduceColors(photo, 256, im::kReduceOptimal);
    ASSERT_TRUE(reduced);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(MeanChannel(*reduced, shift), MeanChannel(photo, shift), 1.0);
}

TEST(ReduceColors, BadInputAndStopping) {
    Bitmap out;
    const std::vector<std::uint8_t> junk = {'B', 'M', 1, 2, 3};
    EXPECT_LT(core::imagelib::ReduceBmpColors(junk, 8, 1, &out, {}), 0);
    EXPECT_FALSE(core::imagelib::LastError().empty());
    EXPECT_TRUE(out.empty());
    auto file = core::editing::PictureToDibFile(Photo(64, 64));
    ASSERT_TRUE(file);
    EXPECT_LT(core::imagelib::ReduceBmpColors(*file, 8, 1, &out, [](int) { return false; }), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(
        im::ReduceColors(Photo(64, 64), 256, im::kReduceFixedDiffused, [](int) { return false; }));
}

TEST(ReduceColors, OntoAGivenPaletteAndGamma) {
    namespace lib = core::imageman;
    const lib::HIMAGE h = lib::ImgFromBitmap(Flat(8, 8, 64, 64, 64));
    ASSERT_NE(h, 0);
    const std::vector<Rgbq> two = {Rgbq{0, 0, 200, 0}, Rgbq{0, 200, 0, 0}};
    const lib::HIMAGE onto = lib::ImgReduceColorsPal(h, 20, two);
    ASSERT_NE(onto, 0);
    const auto pal = lib::ImgGetPalette(onto);
    ASSERT_TRUE(pal);
    EXPECT_EQ(pal->size(), 2u); // a 1-bit picture on exactly that palette
    EXPECT_EQ((*pal)[0], two[0]);
    // Gamma 2.0 brightens the mid-tones: 255 · (64 / 255)^0.5 = 127.7.
    ASSERT_NE(lib::ImgGamma(h, 20), 0);
    core::Bitmap out;
    ASSERT_NE(lib::ImgTakePicture(h, &out), 0);
    EXPECT_EQ(out.rgb(3, 3), 0x808080u);
    lib::ImgClose(onto);
}
