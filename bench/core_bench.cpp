// Micro-benchmarks of core routines that run on every open.
#include "core/imageman/scale.h"

#include <benchmark/benchmark.h>

namespace {

core::Bitmap Noise(int w, int h, int bits) {
    auto bm = core::Bitmap::Create(w, h, bits).value();
    std::uint32_t s = 12345;
    for (int y = 0; y < h; ++y)
        for (std::size_t i = 0; i < bm.stride(); ++i) {
            s = s * 1664525u + 1013904223u;
            bm.row(y)[i] = static_cast<std::uint8_t>(s >> 24);
        }
    return bm;
}

// A fax page reduced to gray at quality 1.
void BM_FaxReduction(benchmark::State& state) {
    const core::Bitmap page = Noise(1728, 2200, 1);
    const core::imageman::Rect r{0, 0, 1720, 2192};
    for (auto _ : state) benchmark::DoNotOptimize(core::imageman::AreaAverage(page, r, 860, 1096, true));
}
BENCHMARK(BM_FaxReduction)->Unit(benchmark::kMillisecond);

// A 12-megapixel photograph reduced to a 1000-pixel-wide view.
void BM_AreaAverage24(benchmark::State& state) {
    const core::Bitmap photo = Noise(4000, 3000, 24);
    const core::imageman::Rect r{0, 0, 4000, 3000};
    for (auto _ : state) benchmark::DoNotOptimize(core::imageman::AreaAverage(photo, r, 1000, 750, false));
}
BENCHMARK(BM_AreaAverage24)->Unit(benchmark::kMillisecond);

} // namespace
