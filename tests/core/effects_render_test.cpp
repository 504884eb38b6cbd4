// The transition renderer against the per-pixel reference, frame by frame.
#include "core/imageman/transition_plan.h"
#include "core/imageman/transition_renderer.h"
#include "core/slideshow/effect_catalogue.h"
#include "core/slideshow/effect_resolve.h"
#include "transition_reference.h"

#include <gtest/gtest.h>

#include <set>

namespace im = core::imageman;
namespace fx = core::slideshow;

namespace {

// Pixels that say where they come from: x, y and which picture.
std::vector<std::uint32_t> Picture(int w, int h, bool isNew) {
    std::vector<std::uint32_t> p(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[static_cast<std::size_t>(y) * w + x] =
                static_cast<std::uint32_t>(x | (y << 11) | (isNew ? 1 << 22 : 0));
    return p;
}

im::Frame32View View(std::vector<std::uint32_t>& p, int w, int h) {
    return {p.data(), w, h, w};
}

constexpr std::uint32_t kBorder = 0xABCDEF;
constexpr int kMargin = 3;

// A surface with a border round the target, as the window's client area.
struct Surface {
    int w, h;
    std::vector<std::uint32_t> pixels;
    Surface(int tw, int th, const std::vector<std::uint32_t>& old)
        : w(tw + 2 * kMargin), h(th + 2 * kMargin),
          pixels(static_cast<std::size_t>(w) * h, kBorder) {
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x)
                at(x, y) = old[static_cast<std::size_t>(y) * tw + x];
    }
    std::uint32_t& at(int x, int y) {
        return pixels[static_cast<std::size_t>(y + kMargin) * w + x + kMargin];
    }
    im::Frame32View Target(int tw, int th) { return {&at(0, 0), tw, th, w}; }
    bool BorderIntact() const {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool inside =
                    x >= kMargin && x < w - kMargin && y >= kMargin && y < h - kMargin;
                if (!inside && pixels[static_cast<std::size_t>(y) * w + x] != kBorder) return false;
            }
        return true;
    }
};

im::FxParams Resolved(int entry, int speed, int w, int h, int sw, std::uint64_t seed) {
    static const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::ResolveContext ctx;
    ctx.speed = speed;
    ctx.width = w;
    ctx.height = h;
    ctx.screenWidth = sw;
    const fx::EffectEntry e = fx::ResolveEffect(c.table[entry], ctx);
    return {e.Effect, e.Option, e.Grain, e.Pace, e.Pause, seed};
}

// Runs the plan's frames (every `stride`-th, and always the last) and holds
// each state to the reference.
void RunAgainstReference(const im::FxParams& p, int w, int h, int stride) {
    std::vector<std::uint32_t> oldPix = Picture(w, h, false), newPix = Picture(w, h, true);
    Surface surface(w, h, oldPix);
    im::TransitionRenderer renderer(p, View(oldPix, w, h), View(newPix, w, h));
    const im::FxPlan plan = im::MakePlan(p, w, h);
    ASSERT_EQ(renderer.steps(), plan.steps);
    const std::vector<std::uint32_t> order =
        (plan.family == im::Family::Mosaic || plan.family == im::Family::Tiles)
            ? im::BlockOrder(p, renderer.geometry())
            : std::vector<std::uint32_t>{};
    std::vector<std::uint32_t> before = oldPix;
    for (std::size_t j = 0; j < plan.frames.size(); ++j) {
        if (j % stride != 0 && j + 1 != plan.frames.size()) continue;
        const int step = plan.frames[j].step;
        const im::Rect changed = renderer.Render(step, surface.Target(w, h));
        const auto want = reference::TransitionState(p, w, h, oldPix, newPix, step, order);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * w + x;
                ASSERT_EQ(surface.at(x, y), want[i])
                    << "step " << step << " of " << plan.steps << " at " << x << "," << y;
                if (surface.at(x, y) != before[i]) {
                    ASSERT_TRUE(x >= changed.left && x < changed.right && y >= changed.top &&
                                y < changed.bottom)
                        << "unreported change at " << x << "," << y;
                }
                before[i] = surface.at(x, y);
            }
        ASSERT_TRUE(surface.BorderIntact());
    }
    EXPECT_EQ(before, newPix); // the last frame is the new picture exactly
}

} // namespace

TEST(TransitionRender, EveryEntryMatchesTheReference) {
    const int sizes[][2] = {{7, 5}, {33, 17}, {66, 65}};
    int runs = 0;
    for (int e = 0; e < fx::kCatalogueSize; ++e)
        for (int s = 0; s < 4; ++s)
            for (const auto& wh : sizes)
                for (int sw : {1920, 10}) {
                    const im::FxParams p = Resolved(e, s, wh[0], wh[1], sw, 1000 + e);
                    SCOPED_TRACE(testing::Message() << "entry " << e << " speed " << s << " size "
                                                    << wh[0] << "x" << wh[1] << " screen " << sw);
                    RunAgainstReference(p, wh[0], wh[1], 1);
                    RunAgainstReference(p, wh[0], wh[1], 3); // frames skipped when late
                    ++runs;
                }
    EXPECT_GT(runs, 3000);
}

TEST(TransitionRender, OddGrainsAndOptions) {
    for (int effect : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 14, 16, 17, 18, 21, 0, 15, 99})
        for (int option : {0, 1, 2, 3, 4, 5, 6, 9})
            for (std::uint32_t grain : {0u, 1u, 3u, 7u, 0x00020003u, 0x00400001u, 100000u}) {
                const im::FxParams p{effect, option, grain, 10, 0, 7};
                SCOPED_TRACE(testing::Message()
                             << "effect " << effect << " option " << option << " grain " << grain);
                RunAgainstReference(p, 9, 6, 1);
                RunAgainstReference(p, 1, 1, 1);
                RunAgainstReference(p, 2, 40, 2);
            }
}

TEST(TransitionRender, ALowerStepRedrawsIt) {
    for (int effect : {1, 6, 9, 12, 19}) {
        const im::FxParams p{effect, 3, 0x00040002u, 10, 0, 5};
        const int w = 20, h = 14;
        std::vector<std::uint32_t> oldPix = Picture(w, h, false), newPix = Picture(w, h, true);
        Surface surface(w, h, oldPix);
        im::TransitionRenderer r(p, View(oldPix, w, h), View(newPix, w, h));
        const auto order = im::BlockOrder(p, r.geometry());
        for (int step : {r.steps(), 1, r.steps() / 2, 0, r.steps()}) {
            r.Render(step, surface.Target(w, h));
            const auto want = reference::TransitionState(p, w, h, oldPix, newPix, step, order);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(surface.at(x, y), want[static_cast<std::size_t>(y) * w + x])
                        << effect << " step " << step;
        }
    }
}

TEST(TransitionRender, BlockOrders) {
    im::FxParams mosaic{9, 1, 4, 20, 255, 1};
    const im::FxGeometry g = im::GeometryOf(mosaic, 64, 40);
    const auto a = im::BlockOrder(mosaic, g);
    ASSERT_EQ(a.size(), 16u * 10u);
    EXPECT_EQ(std::set<std::uint32_t>(a.begin(), a.end()).size(), a.size());
    EXPECT_EQ(im::BlockOrder(mosaic, g), a);
    mosaic.seed = 2;
    EXPECT_NE(im::BlockOrder(mosaic, g), a);

    // Tiles sweep from their edge: a block three or more columns further on
    // never comes first.
    for (int effect = 10; effect <= 13; ++effect) {
        const im::FxParams tiles{effect, 1, 0x10004, 20, 255, 3};
        const im::FxGeometry tg = im::GeometryOf(tiles, 80, 48);
        const auto order = im::BlockOrder(tiles, tg);
        ASSERT_EQ(order.size(), 20u * 12u);
        auto dist = [&](std::uint32_t i) {
            const int cx = i % tg.tilesX, cy = i / tg.tilesX;
            switch (effect) {
            case 10:
                return tg.tilesX - 1 - cx;
            case 11:
                return cx;
            case 12:
                return tg.tilesY - 1 - cy;
            default:
                return cy;
            }
        };
        int latest = 0;
        for (const std::uint32_t i : order) {
            EXPECT_GT(dist(i) + 3, latest) << effect;
            latest = std::max(latest, dist(i));
        }
        EXPECT_EQ(std::set<std::uint32_t>(order.begin(), order.end()).size(), order.size());
    }
}

TEST(TransitionRender, BlurIntroSharpensToTheNewPicture) {
    for (std::uint32_t grain : {1u, 3u})
        for (const auto& wh : {std::pair{120, 97}, std::pair{1, 200}, std::pair{200, 2}}) {
            const im::FxParams p{14, 1, grain, 20, 255, 0};
            SCOPED_TRACE(testing::Message()
                         << "grain " << grain << " size " << wh.first << "x" << wh.second);
            RunAgainstReference(p, wh.first, wh.second, 1);
        }
    const im::FxPlan plan = im::MakePlan({14, 1, 1, 20, 255, 0}, 120, 97);
    EXPECT_EQ(plan.steps, 4);
}
