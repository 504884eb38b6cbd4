// The transforms of the Image and Colors menus on a 24-megapixel picture.
#include "core/editing/transform_ops.h"
#include "core/editing/undo_backup.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/reduce_colors.h"
#include "core/imageman/resample.h"
#include "core/imageman/rotate.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

// A smooth, photograph-like picture (noise would make every reduction worst case).
const core::Bitmap& Photo24() {
    static const core::Bitmap photo = [] {
        auto bm = core::Bitmap::Create(6000, 4000, 24).value();
        for (int y = 0; y < 4000; ++y)
            for (int x = 0; x < 6000; ++x) {
                std::uint8_t* p = bm.row(y) + 3 * x;
                p[0] = static_cast<std::uint8_t>(128 + 120 * std::sin(x * 0.002 + y * 0.001));
                p[1] = static_cast<std::uint8_t>(128 + 100 * std::cos(y * 0.003));
                p[2] = static_cast<std::uint8_t>((x ^ y) & 0xFF);
            }
        return bm;
    }();
    return photo;
}

void BM_Rotate30(benchmark::State& state) {
    Photo24(); // made before the clock runs
    for (auto _ : state)
        benchmark::DoNotOptimize(
            core::imageman::RotatePicture(Photo24(), 3000, core::Rgbq{255, 255, 255, 0}));
}
BENCHMARK(BM_Rotate30)->Unit(benchmark::kMillisecond);

void BM_Rotate90(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(core::imageman::RotatePicture(Photo24(), 9000, core::Rgbq{}));
}
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond);

void BM_ResampleHalf(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(core::imageman::Resample(
            Photo24(), core::imageman::Rect{0, 0, 6000, 4000}, 3000, 2000));
}
BENCHMARK(BM_ResampleHalf)->Unit(benchmark::kMillisecond);

void BM_ResampleDouble(benchmark::State& state) {
    const core::Bitmap quarter =
        core::imageman::Resample(Photo24(), core::imageman::Rect{0, 0, 6000, 4000}, 3000, 2000)
            .value();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            core::imageman::Resample(quarter, core::imageman::Rect{0, 0, 3000, 2000}, 6000, 4000));
}
BENCHMARK(BM_ResampleDouble)->Unit(benchmark::kMillisecond);

void BM_Reduce(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(core::imageman::ReduceColors(Photo24(), 256, mode));
}
BENCHMARK(BM_Reduce)->Arg(20)->Arg(36)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ReduceImageLib(benchmark::State& state) {
    const auto file = core::editing::PictureToDibFile(Photo24()).value();
    for (auto _ : state) {
        core::Bitmap out;
        benchmark::DoNotOptimize(core::imagelib::ReduceBmpColors(file, 8, 1, &out, {}));
    }
}
BENCHMARK(BM_ReduceImageLib)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
