#include "core/editing/convolution.h"

#include "core/editing/parallel_rows.h"

#include <algorithm>
#include <vector>

namespace core::editing {

Kernel3x3 MakeKernel(int corner, int edge, int centre) {
    Kernel3x3 k;
    const int w[9] = {corner, edge, corner, edge, centre, edge, corner, edge, corner};
    k.divisor = 0;
    for (int i = 0; i < 9; ++i) {
        k.weights[i] = static_cast<std::int16_t>(w[i]);
        k.divisor += w[i];
    }
    return k;
}

Kernel3x3 MeanRemovalKernel(int s) { return MakeKernel(-1, -1, 17 - std::clamp(s, 1, 8)); }
Kernel3x3 HighPassMediumKernel(int s) { return MakeKernel(0, -1, 9 - std::clamp(s, 1, 4)); }
Kernel3x3 HighPassLightKernel(int s) { return MakeKernel(1, -2, 9 - std::clamp(s, 1, 4)); }

Kernel3x3 SoftenKernel(int s) {
    static constexpr int kCentre[7] = {32, 16, 8, 6, 5, 4, 3};
    s = std::clamp(s, 1, 10);
    if (s == 8) return MakeKernel(10, 15, 20);
    if (s == 9) return MakeKernel(12, 14, 16);
    if (s == 10) return MakeKernel(13, 14, 15);
    return MakeKernel(1, 2, kCentre[s - 1]);
}

Kernel3x3 DefocusKernel(int a) {
    a = std::clamp(a, 0, 254);
    // The largest edge weight d (12 down to 1) with 25d ≤ a, then the
    // smallest centre c ≥ d² with c × 100 div 4d ≥ a.
    int d = 12;
    while (d > 1 && d * d * 100 / (4 * d) > a) --d;
    int c = d * d;
    while (c * 100 / (4 * d) < a) ++c;
    return MakeKernel(1, d, c);
}

void Spatial3x3(Bitmap& picture, const Kernel3x3& kernel, const ProgressFn& progress) {
    if (picture.empty() || picture.bits() != 24 || kernel.divisor == 0) return;
    const int h = picture.height();
    const int rowSize = picture.width() * 3;
    if (h <= 3 || rowSize < 9) return;

    // Output rows 1 .. h − 3 read source rows 0 .. h − 2; keep those as they were.
    const std::size_t stride = picture.stride();
    std::vector<std::uint8_t> source(picture.data(), picture.data() + stride * static_cast<std::size_t>(h - 1));

    // The divided and clamped result of every possible sum, so the inner
    // loop is plain multiply-adds and one table read.
    const auto& w = kernel.weights;
    int lo = 0, hi = 0;
    for (int i = 0; i < 9; ++i) (w[i] < 0 ? lo : hi) += w[i] * 255;
    std::vector<std::uint8_t> table(static_cast<std::size_t>(hi - lo + 1));
    for (int s = lo; s <= hi; ++s) {
        const int q = s / kernel.divisor; // truncates toward zero
        table[static_cast<std::size_t>(s - lo)] = static_cast<std::uint8_t>(std::clamp(q, 0, 255));
    }
    const std::uint8_t* lut = table.data() - lo;

    const int count = rowSize - 6; // byte positions 3 .. rowSize − 4
    ParallelRows(0, h - 3, [&](int first, int last) {
        std::vector<int> sums(static_cast<std::size_t>(count));
        // Local copies: the compiler cannot keep them in registers through the
        // stores into `sums` otherwise.
        const int w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3], w4 = w[4], w5 = w[5], w6 = w[6],
                  w7 = w[7], w8 = w[8];
        const bool report = first == 0 && progress;
        for (int i = first; i < last; ++i) {
            if (report) ReportProgress(progress, (i - first) * 100 / (last - first));
            const std::uint8_t* r0 = source.data() + stride * static_cast<std::size_t>(i);
            const std::uint8_t* r1 = r0 + stride;
            const std::uint8_t* r2 = r1 + stride;
            int* s = sums.data();
            for (int j = 0; j < count; ++j) {
                const int p = j + 3;
                s[j] = w0 * r0[p - 3] + w1 * r0[p] + w2 * r0[p + 3] + w3 * r1[p - 3] + w4 * r1[p] +
                       w5 * r1[p + 3] + w6 * r2[p - 3] + w7 * r2[p] + w8 * r2[p + 3];
            }
            std::uint8_t* out = picture.row(i + 1) + 3;
            for (int j = 0; j < count; ++j) out[j] = lut[s[j]];
        }
    });
}

} // namespace core::editing
