// Transition rendering at 1920 x 1080: frames per second of whole effects at
// Normal speed (one iteration = every planned frame of one effect).
#include "core/imageman/transition_plan.h"
#include "core/imageman/transition_renderer.h"
#include "core/slideshow/effect_catalogue.h"
#include "core/slideshow/effect_resolve.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace im = core::imageman;
namespace fx = core::slideshow;

namespace {

constexpr int kW = 1920, kH = 1080;

void Effect(benchmark::State& state) {
    const int entry = static_cast<int>(state.range(0));
    const int speed = static_cast<int>(state.range(1));
    static const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::ResolveContext ctx;
    ctx.speed = speed;
    ctx.width = kW;
    ctx.height = kH;
    const fx::EffectEntry e = fx::ResolveEffect(c.table[entry], ctx);
    const im::FxParams p{e.Effect, e.Option, e.Grain, e.Pace, e.Pause, 1};
    std::vector<std::uint32_t> oldPix(kW * kH, 0x102030), newPix(kW * kH), surface(kW * kH);
    for (std::size_t i = 0; i < newPix.size(); ++i)
        newPix[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    const im::FxPlan plan = im::MakePlan(p, kW, kH);
    std::int64_t frames = 0;
    for (auto _ : state) {
        surface = oldPix;
        im::TransitionRenderer r(p, {oldPix.data(), kW, kH, kW}, {newPix.data(), kW, kH, kW});
        for (const im::PlannedFrame& f : plan.frames)
            r.Render(f.step, {surface.data(), kW, kH, kW});
        frames += static_cast<std::int64_t>(plan.frames.size());
        benchmark::DoNotOptimize(surface.data());
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["frames"] = static_cast<double>(plan.frames.size());
}

} // namespace

// Entries: 8 PUSH wipe, 12 PULL wipe, 16 Scroll-Over wipe (one screen-wide
// blind), 20 Reveal-Over wipe, 24 curtains, 70 tiny blinds, 150 X-Large blinds, 64 tiny mosaic,
// 48 normal tiles, 172 random lines, 7 blur intro, 166 and 168 explode.
BENCHMARK(Effect)
    ->ArgsProduct({{8, 12, 16, 20, 24, 70, 150, 64, 48, 172, 7, 166, 168}, {1}})
    ->Unit(benchmark::kMillisecond);
