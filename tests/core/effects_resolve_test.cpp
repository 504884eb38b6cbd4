// The speed and size rule: every catalogue entry at every speed, against
// values written out per family.
#include "core/slideshow/effect_catalogue.h"
#include "core/slideshow/effect_resolve.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace fx = core::slideshow;

namespace {

struct Draw {
    int effect, option;
    std::uint32_t grain;
    int pace, pause;
    bool operator==(const Draw&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Draw& d) {
    return os << "{effect " << d.effect << ", option " << d.option << ", grain " << d.grain
              << ", pace " << d.pace << ", pause " << d.pause << "}";
}

Draw Of(const fx::EffectEntry& e) {
    return {e.Effect, e.Option, e.Grain, e.Pace, e.Pause};
}

struct PP {
    int pace, pause;
    std::uint32_t grain;
};

// By speed Faster, Normal, Slower, Slowest.
constexpr PP kWipePush[4] = {{10, 255, 2}, {10, 255, 1}, {10, 1, 1}, {10, 0, 1}};
constexpr PP kWipeReveal[4] = {{10, 255, 1}, {10, 1, 1}, {10, 0, 1}, {40, 0, 1}};
constexpr PP kWipeOver[4] = {{10, 255, 6}, {10, 255, 4}, {10, 2, 4}, {10, 0, 2}}; // grain: low half
constexpr PP kCurtains[4] = {{10, 255, 4}, {10, 255, 2}, {10, 255, 1}, {10, 0, 1}};
constexpr PP kBlocksSmall[4] = {{20, 255, 0}, {20, 255, 0}, {20, 4, 0}, {20, 2, 0}}; // 2, 4
constexpr PP kBlocksLarge[4] = {{20, 255, 0}, {20, 4, 0}, {20, 2, 0}, {10, 0, 0}};   // 8 .. 64
constexpr PP kShapes[4] = {
    {20, 255, 0x40004}, {20, 255, 0x20002}, {20, 255, 0x10001}, {20, 0, 0x10001}};
constexpr int kBlindPaceSmall[4] = {10, 200, 144, 88}; // sizes 2 and 4
constexpr int kBlindPaceLarge[4] = {10, 50, 100, 150};
constexpr int kBlindPause[6] = {50, 25, 12, 6, 3, 1};
constexpr int kLinesPace[4] = {1, 1, 10, 20};

Draw ExpectedDraw(int e, int s, int w, int h, int sw) {
    const Draw plain{0, 0, 0, 20, 255};
    if (e < 7) return plain; // None, and the groups before they are replaced
    if (e == 7) return {14, 1, 1, 20, 255};
    if (e < 24) {
        const int m = (e - 8) / 4, d = (e - 8) % 4;
        if (m == 2) {
            const PP& p = kWipeOver[s];
            return {d + 18, 2, static_cast<std::uint32_t>(sw) * 65536 + p.grain, p.pace, p.pause};
        }
        const PP& p = (m == 0) ? kWipePush[s] : kWipeReveal[s];
        return {d + 1, m, p.grain, p.pace, p.pause};
    }
    if (e < 40) {
        const int c = (e - 24) / 4, m = (e - 24) % 4;
        return {c + 5, m, kCurtains[s].grain, kCurtains[s].pace, kCurtains[s].pause};
    }
    if (e < 70) {
        const bool tile = e < 64;
        const int size = tile ? (e - 40) / 4 : e - 64;
        const int code = tile ? (e - 40) % 4 + 10 : 9;
        const std::uint32_t grain = (2u << size) + (tile ? 65536u : 0u);
        const PP& p = size < 2 ? kBlocksSmall[s] : kBlocksLarge[s];
        return {code, 1, grain, p.pace, p.pause};
    }
    if (e < 166) {
        const int size = (e - 70) / 16, m = (e - 70) % 16 / 4, d = (e - 70) % 4;
        const std::uint32_t n = 2u << size;
        return {d + 18, m, n * 65536 + 1, size < 2 ? kBlindPaceSmall[s] : kBlindPaceLarge[s],
                kBlindPause[size]};
    }
    if (e < 172) {
        const int code = e < 169 ? 17 : 16, shape = (e - 166) % 3 + 4;
        return {code, shape, kShapes[s].grain, kShapes[s].pace, kShapes[s].pause};
    }
    if (e == 172)
        return {9, 3, static_cast<std::uint32_t>(w) + (s == 0 ? 3u : 1u) * 65536, kLinesPace[s], 0};
    return {9, 3, static_cast<std::uint32_t>(h) * 65536 + (s == 0 ? 2u : 1u), kLinesPace[s], 0};
}

fx::ResolveContext Ctx(int s, int w = 640, int h = 480, int sw = 1920) {
    fx::ResolveContext c;
    c.speed = s;
    c.width = w;
    c.height = h;
    c.screenWidth = sw;
    return c;
}

} // namespace

TEST(EffectResolve, EveryEntryAtEverySpeedAndSize) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    const int sizes[][2] = {{640, 480}, {65, 65}, {1920, 1080}, {4097, 3}, {1, 60000}};
    int cases = 0;
    for (int e = 0; e < 174; ++e)
        for (int s = 0; s < 4; ++s)
            for (const auto& wh : sizes)
                for (int sw : {1920, 800}) {
                    const Draw got = Of(fx::ResolveEffect(c.table[e], Ctx(s, wh[0], wh[1], sw)));
                    ASSERT_EQ(got, ExpectedDraw(e, s, wh[0], wh[1], sw))
                        << "entry " << e << " speed " << s << " size " << wh[0] << "x" << wh[1]
                        << " screen " << sw;
                    ++cases;
                }
    EXPECT_EQ(cases, 174 * 4 * 5 * 2);
}

TEST(EffectResolve, TheDocumentedExamples) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    // Scroll over the background from Top is drawn as the blinds code from Top.
    EXPECT_EQ(fx::ResolveEffect(c.table[19], Ctx(1)).Effect, 21);
    // Tiny blinds at Slowest wrap round the byte.
    const fx::EffectEntry tiny = fx::ResolveEffect(c.table[70], Ctx(3));
    EXPECT_EQ(tiny.Pace, 88);
    EXPECT_EQ(tiny.Pause, 50);
    const fx::EffectEntry xl = fx::ResolveEffect(c.table[150], Ctx(2));
    EXPECT_EQ(xl.Pace, 100);
    EXPECT_EQ(xl.Pause, 1);
    // The code a resolution gives, without resolving.
    for (int e = 0; e < 174; ++e)
        EXPECT_EQ(fx::ResolvedCode(c.table[e].Effect, c.table[e].Option),
                  fx::ResolveEffect(c.table[e], Ctx(0)).Effect)
            << e;
}

TEST(EffectResolve, SelectedMarkPassesThrough) {
    fx::EffectEntry e = fx::BuildEffectCatalogue().table[100];
    e.Selected = 1;
    EXPECT_EQ(fx::ResolveEffect(e, Ctx(2)).Selected, 1);
}

TEST(EffectResolve, OutOfRangeValuesAreSafe) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    // A stored speed out of range counts as the nearest one.
    for (int e : {8, 13, 24, 44, 64, 70, 150, 166, 172, 173}) {
        EXPECT_EQ(Of(fx::ResolveEffect(c.table[e], Ctx(7))),
                  Of(fx::ResolveEffect(c.table[e], Ctx(3))));
        EXPECT_EQ(Of(fx::ResolveEffect(c.table[e], Ctx(255))),
                  Of(fx::ResolveEffect(c.table[e], Ctx(3))));
        EXPECT_EQ(Of(fx::ResolveEffect(c.table[e], Ctx(-1))),
                  Of(fx::ResolveEffect(c.table[e], Ctx(0))));
    }
    // Screens and pictures of 32,768 pixels and more: each half saturates.
    EXPECT_EQ(fx::ResolveEffect(c.table[16], Ctx(0, 640, 480, 40000)).Grain, 40000u * 65536 + 6);
    EXPECT_EQ(fx::ResolveEffect(c.table[16], Ctx(0, 640, 480, 100000)).Grain, 0xFFFF0006u);
    EXPECT_EQ(fx::ResolveEffect(c.table[16], Ctx(0, 640, 480, -5)).Grain, 6u);
    EXPECT_EQ(fx::ResolveEffect(c.table[173], Ctx(1, 10, 50000)).Grain, 50000u * 65536 + 1);
    EXPECT_EQ(fx::ResolveEffect(c.table[173], Ctx(1, 10, 70000)).Grain, 0xFFFF0001u);
    EXPECT_EQ(fx::ResolveEffect(c.table[172], Ctx(0, 70000, 10)).Grain, 0x3FFFFu);

    // Blinds: a plain size of 65535 is still a size, and a size of 0 does
    // not divide by zero.
    fx::EffectEntry blind;
    blind.Effect = 18;
    blind.Grain = 65535;
    fx::EffectEntry r = fx::ResolveEffect(blind, Ctx(1));
    EXPECT_EQ(r.Grain, 0xFFFF0001u);
    EXPECT_EQ(r.Pace, 50);
    EXPECT_EQ(r.Pause, 0);
    blind.Grain = 0;
    r = fx::ResolveEffect(blind, Ctx(1));
    EXPECT_EQ(r.Grain, 1u);
    EXPECT_EQ(r.Pace, 200);
    EXPECT_EQ(r.Pause, 100);
    blind.Grain = 0x00100003; // already packed: size 16
    r = fx::ResolveEffect(blind, Ctx(3));
    EXPECT_EQ(r.Grain, 0x00100003u);
    EXPECT_EQ(r.Pace, 150);
    EXPECT_EQ(r.Pause, 6);

    // Codes with no effect of their own draw plainly.
    for (int code : {15, 22, 31, 34, 99, 100, 105, 200, 255}) {
        fx::EffectEntry x;
        x.Effect = static_cast<std::uint8_t>(code);
        x.Option = 2;
        x.Grain = 77;
        EXPECT_EQ(Of(fx::ResolveEffect(x, Ctx(1))), (Draw{0, 0, 0, 20, 255})) << code;
    }
}
