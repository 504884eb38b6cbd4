// The frame plan of a transition: its durations and its invariants.
#include "core/imageman/transition_plan.h"
#include "core/slideshow/effect_catalogue.h"
#include "core/slideshow/effect_resolve.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace im = core::imageman;
namespace fx = core::slideshow;

namespace {

im::FxParams Resolved(int entry, int speed, int w, int h, int sw = 1920) {
    static const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::ResolveContext ctx;
    ctx.speed = speed;
    ctx.width = w;
    ctx.height = h;
    ctx.screenWidth = sw;
    const fx::EffectEntry e = fx::ResolveEffect(c.table[entry], ctx);
    im::FxParams p;
    p.effect = e.Effect;
    p.option = e.Option;
    p.grain = e.Grain;
    p.pace = e.Pace;
    p.pause = e.Pause;
    return p;
}

void ExpectInvariants(const im::FxPlan& plan, const im::FxParams& p) {
    const int m = static_cast<int>(plan.frames.size());
    ASSERT_GE(m, 1);
    ASSERT_LE(m, std::min(plan.steps, 800));
    EXPECT_EQ(plan.frames.front().dueMs, 0);
    EXPECT_GE(plan.frames.front().step, 1);
    EXPECT_EQ(plan.frames.back().step, plan.steps);
    const std::int64_t pause = p.pause == 255 ? 0 : p.pause;
    for (int j = 1; j < m; ++j) {
        EXPECT_GT(plan.frames[j].step, plan.frames[j - 1].step);
        EXPECT_GE(plan.frames[j].dueMs, plan.frames[j - 1].dueMs);
        EXPECT_EQ(plan.frames[j - 1].callbackAfter, p.pause != 255);
    }
    EXPECT_FALSE(plan.frames.back().callbackAfter);
    // The last frame is due when the effect ends; a single frame at once.
    if (m > 1) {
        EXPECT_EQ(plan.frames.back().dueMs, plan.durationMs);
    }
    EXPECT_LE(plan.durationMs - (m - 1) * pause, im::kMaxNominalMs);
}

} // namespace

TEST(TransitionPlan, DurationsAtFullHd) {
    struct Row {
        int entry;
        int ms[4], frames[4];
    };
    // Milliseconds and frames at Faster, Normal, Slower, Slowest on 1920 x 1080.
    const Row rows[] = {
        {8, {480, 960, 1055, 960}, {48, 96, 96, 96}},
        {12, {960, 1055, 960, 3840}, {96, 96, 96, 384}},
        {10, {270, 540, 593, 540}, {27, 54, 54, 54}},
        {16, {640, 960, 1150, 1920}, {64, 96, 96, 192}},
        {24, {480, 960, 1920, 1920}, {48, 96, 192, 192}},
        {48, {1024, 1432, 1228, 512}, {103, 103, 103, 52}},
        {64, {1024, 1024, 1432, 1228}, {103, 103, 103, 103}},
        {70, {54, 130, 108, 85}, {2, 2, 2, 2}}, // at least two frames
        {150, {140, 703, 1343, 1983}, {13, 64, 64, 64}},
        {7, {900, 900, 900, 900}, {45, 45, 45, 45}},
        {166, {240, 480, 960, 960}, {24, 48, 96, 96}},
        {168, {340, 679, 1358, 1358}, {34, 68, 136, 136}},
        {172, {36, 51, 512, 1024}, {4, 6, 52, 103}},
    };
    for (const Row& r : rows)
        for (int s = 0; s < 4; ++s) {
            const im::FxParams p = Resolved(r.entry, s, 1920, 1080);
            const im::FxPlan plan = im::MakePlan(p, 1920, 1080);
            EXPECT_EQ(plan.durationMs, r.ms[s]) << "entry " << r.entry << " speed " << s;
            EXPECT_EQ(static_cast<int>(plan.frames.size()), r.frames[s])
                << "entry " << r.entry << " speed " << s;
            ExpectInvariants(plan, p);
        }
}

TEST(TransitionPlan, InvariantsForEveryEntrySpeedAndSize) {
    const int sizes[][2] = {{1, 1}, {2, 3}, {64, 65}, {65, 65}, {640, 480}, {4097, 7}, {3, 4097}};
    for (int e = 0; e < fx::kCatalogueSize; ++e)
        for (int s = 0; s < 4; ++s)
            for (const auto& wh : sizes) {
                const im::FxParams p = Resolved(e, s, wh[0], wh[1]);
                SCOPED_TRACE(testing::Message() << "entry " << e << " speed " << s << " size "
                                                << wh[0] << "x" << wh[1]);
                ExpectInvariants(im::MakePlan(p, wh[0], wh[1]), p);
            }
}

TEST(TransitionPlan, OddValuesStillPlanOneOrMoreFrames) {
    for (int effect : {0, 15, 22, 99, 255}) {
        im::FxParams p;
        p.effect = effect;
        const im::FxPlan plan = im::MakePlan(p, 640, 480);
        EXPECT_EQ(plan.family, im::Family::None);
        ASSERT_EQ(plan.frames.size(), 1u);
        EXPECT_EQ(plan.frames[0].step, 1);
    }
    // Grain 0 or larger than the picture; pace 0 counts as 1; long effects are capped.
    for (int effect : {1, 5, 9, 10, 14, 16, 17, 18}) {
        for (std::uint32_t grain : {0u, 1u, 100000u, 0xFFFFFFFFu}) {
            im::FxParams p;
            p.effect = effect;
            p.grain = grain;
            p.pace = 0;
            p.pause = 3;
            ExpectInvariants(im::MakePlan(p, 300, 200), p);
            p.pace = 255;
            p.grain = grain == 0 ? 0 : 0x00010001;
            ExpectInvariants(im::MakePlan(p, 5000, 5000), p);
        }
    }
    // Mosaics show at most 512 states; tiles of a picture as a whole one.
    im::FxParams mosaic;
    mosaic.effect = 9;
    mosaic.grain = 2;
    EXPECT_EQ(im::MakePlan(mosaic, 1920, 1080).steps, 512);
    mosaic.grain = 4000;
    EXPECT_EQ(im::MakePlan(mosaic, 1920, 1080).steps, 1);
}
