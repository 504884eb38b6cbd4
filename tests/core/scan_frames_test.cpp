// Scanner frames made into pictures, without a scanner.
#include "core/common/memory.h"
#include "core/scan/frame_assembly.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using core::scan::FrameAssembler;
using core::scan::FrameFormat;
using core::scan::FrameParams;

namespace {

FrameParams Params(FrameFormat f, int width, int lines, int depth, int bytesPerLine,
                   bool last = true) {
    FrameParams p;
    p.format = f;
    p.pixelsPerLine = width;
    p.lines = lines;
    p.depth = depth;
    p.bytesPerLine = bytesPerLine;
    p.lastFrame = last;
    return p;
}

core::Result<core::Bitmap>
Assemble(const std::vector<std::pair<FrameParams, std::vector<std::uint8_t>>>& frames,
         std::size_t chunk = 7) {
    FrameAssembler a;
    for (const auto& [p, bytes] : frames) {
        if (auto st = a.BeginFrame(p); !st) return st.error();
        for (std::size_t at = 0; at < bytes.size(); at += chunk) {
            const std::size_t n = std::min(chunk, bytes.size() - at);
            if (auto st = a.Append({bytes.data() + at, n}); !st) return st.error();
        }
        if (auto st = a.EndFrame(); !st) return st.error();
    }
    return a.Finish();
}

std::vector<std::uint8_t> Le16(std::initializer_list<unsigned> values) {
    std::vector<std::uint8_t> out;
    for (unsigned v : values) {
        const std::uint16_t s = static_cast<std::uint16_t>(v);
        std::uint8_t b[2];
        std::memcpy(b, &s, 2); // the host's order, as the scanner sends it
        out.insert(out.end(), b, b + 2);
    }
    return out;
}

} // namespace

TEST(ScanFrames, GrayOneBitSetBitsAreBlack) {
    // 10 pixels a line in 2 bytes (+1 byte of padding the scanner sends).
    auto pic = Assemble({{Params(FrameFormat::Gray, 10, 2, 1, 3),
                          {0b10000000, 0b01000000, 0xEE, 0b00000001, 0b11000000, 0x55}}});
    ASSERT_TRUE(pic) << pic.message();
    ASSERT_EQ(pic->bits(), 1);
    ASSERT_EQ(pic->width(), 10);
    ASSERT_EQ(pic->height(), 2);
    auto black = [&](int x, int y) { return pic->rgb(x, y) == 0; };
    EXPECT_TRUE(black(0, 0));
    EXPECT_FALSE(black(1, 0));
    EXPECT_TRUE(black(9, 0));
    EXPECT_FALSE(black(8, 0));
    EXPECT_TRUE(black(7, 1));
    EXPECT_TRUE(black(8, 1));
    EXPECT_TRUE(black(9, 1));
    EXPECT_FALSE(black(0, 1));
    EXPECT_EQ(pic->rgb(1, 0), 0xFFFFFFu);
}

TEST(ScanFrames, GrayEightAndSixteenBits) {
    auto gray = Assemble({{Params(FrameFormat::Gray, 3, 1, 8, 4), {0, 128, 255, 9}}});
    ASSERT_TRUE(gray) << gray.message();
    EXPECT_EQ(gray->bits(), 8);
    ASSERT_EQ(gray->palette().size(), 256u);
    EXPECT_EQ(gray->rgb(1, 0), 0x808080u);
    EXPECT_EQ(gray->rgb(2, 0), 0xFFFFFFu);

    // round(v / 257): 128 → 0, 129 → 1, 385 → 1, 386 → 2, 65535 → 255.
    auto deep = Assemble(
        {{Params(FrameFormat::Gray, 6, 1, 16, 12), Le16({128, 129, 385, 386, 32896, 65535})}});
    ASSERT_TRUE(deep) << deep.message();
    EXPECT_EQ(deep->bits(), 8);
    const std::uint8_t* r = deep->row(0);
    EXPECT_EQ(std::vector<int>(r, r + 6), (std::vector<int>{0, 1, 1, 2, 128, 255}));
}

TEST(ScanFrames, ColourInOneFrameAndInThree) {
    const std::vector<std::uint8_t> rgb = {10, 20, 30, 40, 50, 60, 0, 0};
    auto one = Assemble({{Params(FrameFormat::Rgb, 2, 1, 8, 8), rgb}});
    ASSERT_TRUE(one) << one.message();
    EXPECT_EQ(one->bits(), 24);
    EXPECT_EQ(one->rgb(0, 0), 0x0A141Eu);
    EXPECT_EQ(one->rgb(1, 0), 0x28323Cu);

    // The same picture as three single-colour passes, in any order.
    auto three = Assemble({{Params(FrameFormat::Blue, 2, 1, 8, 2, false), {30, 60}},
                           {Params(FrameFormat::Red, 2, 1, 8, 2, false), {10, 40}},
                           {Params(FrameFormat::Green, 2, 1, 8, 2, true), {20, 50}}});
    ASSERT_TRUE(three) << three.message();
    EXPECT_TRUE(three->rgb(0, 0) == one->rgb(0, 0) && three->rgb(1, 0) == one->rgb(1, 0));

    auto deep = Assemble({{Params(FrameFormat::Rgb, 1, 1, 16, 6), Le16({65535, 32896, 0})}});
    ASSERT_TRUE(deep) << deep.message();
    EXPECT_EQ(deep->rgb(0, 0), 0xFF8000u);
}

TEST(ScanFrames, UnknownLengthGrowsWithinTheMemoryGuard) {
    std::vector<std::uint8_t> lines(5 * 1000);
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i] = static_cast<std::uint8_t>(i / 5);
    auto hand = Assemble({{Params(FrameFormat::Gray, 5, -1, 8, 5), lines}}, 333);
    ASSERT_TRUE(hand) << hand.message();
    EXPECT_EQ(hand->height(), 1000);
    EXPECT_EQ(hand->row(999)[4], static_cast<std::uint8_t>(999));

    // A hand scan that outgrows free memory stops with the guard's message.
    core::SetFreeMemoryProvider([] { return std::uint64_t{20000}; });
    std::vector<std::uint8_t> big(100 * 1000, 7);
    auto refused = Assemble({{Params(FrameFormat::Gray, 100, -1, 8, 100), big}}, 4096);
    core::SetFreeMemoryProvider({});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.message(), "Insufficient memory.");
}

TEST(ScanFrames, BadFramesAreRefused) {
    // A known length checked against free memory before anything is kept.
    core::SetFreeMemoryProvider([] { return std::uint64_t{1000}; });
    FrameAssembler guarded;
    EXPECT_FALSE(guarded.BeginFrame(Params(FrameFormat::Rgb, 1000, 1000, 8, 3000)));
    core::SetFreeMemoryProvider({});

    FrameAssembler a;
    EXPECT_FALSE(a.BeginFrame(Params(FrameFormat::Gray, 10, 2, 8, 9)));   // lines too short
    EXPECT_FALSE(a.BeginFrame(Params(FrameFormat::Gray, 10, 2, 12, 20))); // 12-bit samples
    EXPECT_FALSE(a.BeginFrame(Params(FrameFormat::Gray, 0, 2, 8, 8)));
    EXPECT_FALSE(a.Finish());
    // Passes of different sizes do not make one picture.
    auto mixed = Assemble({{Params(FrameFormat::Red, 2, 1, 8, 2, false), {1, 2}},
                           {Params(FrameFormat::Green, 3, 1, 8, 3, true), {1, 2, 3}}});
    EXPECT_FALSE(mixed);
    // A frame with no lines at all is nothing to show.
    EXPECT_FALSE(Assemble({{Params(FrameFormat::Gray, 4, -1, 8, 4), {}}}));
    // Too few bytes: the lines never sent stay black, more than announced are dropped.
    auto shortFrame = Assemble({{Params(FrameFormat::Gray, 2, 3, 8, 2), {200, 200, 9}}});
    ASSERT_TRUE(shortFrame) << shortFrame.message();
    EXPECT_EQ(shortFrame->rgb(0, 2), 0u);
    auto longFrame = Assemble({{Params(FrameFormat::Gray, 2, 1, 8, 2), {5, 6, 7, 8, 9}}});
    ASSERT_TRUE(longFrame);
    EXPECT_EQ(longFrame->height(), 1);
}
