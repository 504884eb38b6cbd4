// Packed DIBs back into pictures: our own at every depth, and foreign ones
// with other headers, short colour tables or bit fields.
#include "core/common/dib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

core::Bitmap Noise(int width, int height, int bits) {
    auto r = core::Bitmap::Create(width, height, bits);
    EXPECT_TRUE(r.ok());
    core::Bitmap bm = std::move(r).value();
    std::mt19937 rng(static_cast<unsigned>(width * 100 + bits));
    for (auto& q : bm.palette())
        q = core::Rgbq{static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                       static_cast<std::uint8_t>(rng()), 0};
    // Whole bytes of noise, with the bits past the last pixel left clear.
    const std::size_t used = (static_cast<std::size_t>(width) * bits + 7) / 8;
    const unsigned tailBits = static_cast<unsigned>(width * bits % 8);
    for (int y = 0; y < height; ++y) {
        for (std::size_t i = 0; i < used; ++i)
            bm.row(y)[i] = static_cast<std::uint8_t>(rng());
        if (tailBits) bm.row(y)[used - 1] &= static_cast<std::uint8_t>(0xFF00u >> tailBits);
    }
    return bm;
}

TEST(DibToPicture, OwnPackedDibsRoundTripAtEveryDepth) {
    for (int bits : {1, 4, 8, 24}) {
        for (int width : {1, 13, 32}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
            const core::Bitmap pic = Noise(width, 5, bits);
            auto dib = core::PictureToPackedDIB(pic);
            ASSERT_TRUE(dib.ok()) << dib.message();
            auto back = core::DIBToPicture(*dib);
            ASSERT_TRUE(back.ok()) << back.message();
            ASSERT_EQ(back->bits(), bits);
            ASSERT_EQ(back->width(), width);
            ASSERT_EQ(back->height(), 5);
            EXPECT_EQ(back->palette(), pic.palette());
            for (int y = 0; y < 5; ++y)
                EXPECT_EQ(0, std::memcmp(back->row(y), pic.row(y), pic.stride())) << "row " << y;
        }
    }
}

TEST(DibToPicture, ForeignHeadersTablesAndBitFields) {
    // A 124-byte header with a table of three entries; pixels right behind it.
    Bytes v5(124, 0);
    core::WriteLE32(v5.data(), 124);
    core::WriteLE32(v5.data() + 4, 3);
    core::WriteLE32(v5.data() + 8, 2);
    core::WriteLE16(v5.data() + 12, 1);
    core::WriteLE16(v5.data() + 14, 8);
    core::WriteLE32(v5.data() + 32, 3);
    for (std::uint8_t v : {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0})
        v5.push_back(v);
    for (std::uint8_t v : {2, 1, 0, 0, 0, 0, 1, 0})
        v5.push_back(v); // bottom row first
    auto pic = core::DIBToPicture(v5);
    ASSERT_TRUE(pic.ok()) << pic.message();
    ASSERT_EQ(pic->bits(), 8);
    EXPECT_EQ(pic->rgb(0, 1), 0x090807u);
    EXPECT_EQ(pic->rgb(1, 1), 0x060504u);
    EXPECT_EQ(pic->rgb(2, 1), 0x030201u);
    EXPECT_EQ(pic->rgb(2, 0), 0x060504u);

    // A 32-bit clipboard DIB with a v3 header: the fourth byte is not alpha.
    core::BitmapInfoHeader h;
    h.biWidth = 2;
    h.biHeight = 1;
    h.biBitCount = 32;
    Bytes dib32(40);
    core::WriteInfoHeader(dib32.data(), h);
    for (std::uint8_t v : {10, 20, 30, 0, 40, 50, 60, 7})
        dib32.push_back(v);
    pic = core::DIBToPicture(dib32);
    ASSERT_TRUE(pic.ok()) << pic.message();
    ASSERT_EQ(pic->bits(), 24);
    EXPECT_EQ(pic->rgb(0, 0), 0x1E140Au);
    EXPECT_EQ(pic->rgb(1, 0), 0x3C3228u);

    EXPECT_FALSE(core::DIBToPicture({}).ok());
    EXPECT_FALSE(core::DIBToPicture(std::span(v5).first(100)).ok());
    EXPECT_FALSE(core::DIBToPicture(std::span(v5).first(124 + 12)).ok());
}

} // namespace
