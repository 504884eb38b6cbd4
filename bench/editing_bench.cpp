// The editing filters on a 24-megapixel picture in memory (6000 × 4000, 24 bits).
#include "core/editing/color_lut.h"
#include "core/editing/convolution.h"
#include "core/editing/median.h"
#include "core/editing/threshold_mean.h"

#include <benchmark/benchmark.h>

namespace {

const core::Bitmap& Photo() {
    static const core::Bitmap photo = [] {
        auto bm = core::Bitmap::Create(6000, 4000, 24).value();
        std::uint32_t s = 7;
        for (int y = 0; y < bm.height(); ++y)
            for (int i = 0; i < 18000; ++i) {
                s = s * 1664525u + 1013904223u;
                // smooth ramps with some noise, like a photograph
                bm.row(y)[i] = static_cast<std::uint8_t>(((i / 3 + y) >> 4) + (s >> 29));
            }
        return bm;
    }();
    return photo;
}

template <class F> void Run(benchmark::State& state, F filter) {
    for (auto _ : state) {
        state.PauseTiming();
        core::Bitmap pic = Photo();
        state.ResumeTiming();
        filter(pic);
        benchmark::DoNotOptimize(pic.data());
    }
}

void BM_MeanRemoval(benchmark::State& st) {
    Run(st,
        [](core::Bitmap& p) { core::editing::Spatial3x3(p, core::editing::MeanRemovalKernel(4)); });
}
void BM_Defocus(benchmark::State& st) {
    Run(st,
        [](core::Bitmap& p) { core::editing::Spatial3x3(p, core::editing::DefocusKernel(254)); });
}
void BM_Gaussian(benchmark::State& st) {
    Run(st, [](core::Bitmap& p) { core::editing::GaussianBlur3x3(p, 63, false, 9); });
}
void BM_Despeckle(benchmark::State& st) {
    const int s = static_cast<int>(st.range(0));
    Run(st, [s](core::Bitmap& p) { core::editing::Median(p, s); });
}
void BM_Gamma(benchmark::State& st) {
    core::editing::ColorLuts luts;
    for (int c = 0; c < 3; ++c)
        core::editing::SetGammaLUT(luts, 150, c);
    Run(st, [&](core::Bitmap& p) { core::editing::ColorFilterBitmap(p, luts); });
}

BENCHMARK(BM_MeanRemoval)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Defocus)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Gaussian)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Despeckle)->Arg(2)->Arg(4)->Arg(9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Gamma)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
