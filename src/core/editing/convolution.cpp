#include "core/editing/convolution.h"

#include "core/editing/parallel_rows.h"
#include "core/editing/row_window.h"
#include "core/editing/simd_lanes.h"

#include <algorithm>
#include <type_traits>
#include <vector>

// Vector helpers stay inside this file (see simd_lanes.h).
#pragma GCC diagnostic ignored "-Wpsabi"

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

Kernel3x3 MeanRemovalKernel(int s) {
    return MakeKernel(-1, -1, 17 - std::clamp(s, 1, 8));
}
Kernel3x3 HighPassMediumKernel(int s) {
    return MakeKernel(0, -1, 9 - std::clamp(s, 1, 4));
}
Kernel3x3 HighPassLightKernel(int s) {
    return MakeKernel(1, -2, 9 - std::clamp(s, 1, 4));
}

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
    while (d > 1 && d * d * 100 / (4 * d) > a)
        --d;
    int c = d * d;
    while (c * 100 / (4 * d) < a)
        ++c;
    return MakeKernel(1, d, c);
}

// One output row, sixteen bytes at a time; returns where the plain loop goes on.
template <class V>
int Convolve16(const std::uint8_t* r0, const std::uint8_t* r1, const std::uint8_t* r2,
               std::uint8_t* out, int count, const int (&w)[9], int divisor, float inverse) {
    using simd::Load;
    using E = std::remove_cvref_t<decltype(V{}[0])>;
    auto splat = [](int v) { return V{} + static_cast<E>(v); };
    const V w0 = splat(w[0]), w1 = splat(w[1]), w2 = splat(w[2]), w3 = splat(w[3]),
            w4 = splat(w[4]), w5 = splat(w[5]), w6 = splat(w[6]), w7 = splat(w[7]),
            w8 = splat(w[8]);
    // Negative sums end as 0 whichever way they are divided, so only
    // 0 .. 256 × divisor needs the exact division.
    const V cap = splat(std::min(256 * divisor, std::is_signed_v<E> ? 32767 : 65535));
    int j = 0;
    for (; j + simd::kWidth <= count; j += simd::kWidth) {
        V sum = w0 * Load<V>(r0 + j - 3) + w1 * Load<V>(r0 + j) + w2 * Load<V>(r0 + j + 3) +
                w3 * Load<V>(r1 + j - 3) + w4 * Load<V>(r1 + j) + w5 * Load<V>(r1 + j + 3) +
                w6 * Load<V>(r2 + j - 3) + w7 * Load<V>(r2 + j) + w8 * Load<V>(r2 + j + 3);
        if constexpr (std::is_signed_v<E>) sum = sum < V{} ? V{} : sum;
        sum = sum > cap ? cap : sum;
        simd::StoreQuotient(out + j, sum, inverse);
    }
    return j;
}

void Spatial3x3(Bitmap& picture, const Kernel3x3& kernel, const ProgressFn& progress) {
    if (picture.empty() || picture.bits() != 24 || kernel.divisor == 0) return;
    const int h = picture.height();
    const int rowSize = picture.width() * 3;
    if (h <= 3 || rowSize < 9) return;

    // The divided and clamped result of every possible sum, so the inner
    // loop is plain multiply-adds and one table read.
    const auto& w = kernel.weights;
    int lo = 0, hi = 0;
    for (int i = 0; i < 9; ++i)
        (w[i] < 0 ? lo : hi) += w[i] * 255;
    std::vector<std::uint8_t> table(static_cast<std::size_t>(hi - lo + 1));
    for (int s = lo; s <= hi; ++s) {
        const int q = s / kernel.divisor; // truncates toward zero
        table[static_cast<std::size_t>(s - lo)] = static_cast<std::uint8_t>(std::clamp(q, 0, 255));
    }
    const std::uint8_t* lut = table.data() - lo;

    const int count = rowSize - 6; // byte positions 3 .. rowSize − 4
    const int divisor = kernel.divisor;
    const float inverse = 1.0f / static_cast<float>(divisor);
    // 16-bit lanes when every sum fits them: signed, or unsigned for kernels
    // without negative weights (Defocus reaches 146 × 255).
    const int lanes16 = divisor <= 0                  ? 0
                        : lo >= -32768 && hi <= 32767 ? 1
                        : lo >= 0 && hi <= 65535      ? 2
                                                      : 0;
    const auto filterRow = [&](const std::uint8_t* r0, const std::uint8_t* r1,
                               const std::uint8_t* r2, std::uint8_t* out) {
        // Local copies: the compiler cannot keep them in registers through the
        // stores into the picture otherwise.
        const int w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3], w4 = w[4], w5 = w[5], w6 = w[6],
                  w7 = w[7], w8 = w[8];
        const int wk[9] = {w0, w1, w2, w3, w4, w5, w6, w7, w8};
        int j = 0;
        if (lanes16 == 1) j = Convolve16<simd::I16>(r0, r1, r2, out, count, wk, divisor, inverse);
        if (lanes16 == 2) j = Convolve16<simd::U16>(r0, r1, r2, out, count, wk, divisor, inverse);
        for (; j < count; ++j) {
            const int sum = w0 * r0[j - 3] + w1 * r0[j] + w2 * r0[j + 3] + w3 * r1[j - 3] +
                            w4 * r1[j] + w5 * r1[j + 3] + w6 * r2[j - 3] + w7 * r2[j] +
                            w8 * r2[j + 3];
            out[j] = lut[sum];
        }
    };
    FilterRowsInPlace(picture, progress, filterRow);
}

} // namespace core::editing
