#include "core/editing/threshold_mean.h"

#include "core/editing/parallel_rows.h"
#include "core/editing/row_window.h"
#include "core/editing/simd_lanes.h"

#include <algorithm>
#include <cstring>
#include <vector>

// Vector helpers stay inside this file (see simd_lanes.h).
#pragma GCC diagnostic ignored "-Wpsabi"

namespace core::editing {

void GaussianBlur3x3(Bitmap& picture, int threshold, bool leaveOneOut, int count,
                     const ProgressFn& progress) {
    if (picture.empty() || picture.bits() != 24 || count <= 0) return;
    const int h = picture.height();
    const int rowSize = picture.width() * 3;
    if (h <= 3 || rowSize < 9) return;

    // mean of every possible sum, capped at 255
    std::vector<std::uint8_t> meanOf(9 * 255 + 1);
    for (int s = 0; s <= 9 * 255; ++s)
        meanOf[static_cast<std::size_t>(s)] = static_cast<std::uint8_t>(std::min(255, s / count));
    const int below = leaveOneOut ? 0 : 1;
    const int n = rowSize - 6;

    const float inverse = 1.0f / static_cast<float>(count);
    const simd::I16 belowV = simd::I16{} + static_cast<std::int16_t>(below);
    const simd::I16 thresholdV =
        simd::I16{} + static_cast<std::int16_t>(std::clamp(threshold, -1, 255));
    const auto filterRow = [&](const std::uint8_t* r0, const std::uint8_t* r1,
                               const std::uint8_t* r2, std::uint8_t* out) {
        int j = 0;
        for (; j + simd::kWidth <= n; j += simd::kWidth) {
            using V = simd::I16;
            using simd::Load;
            const V centre = Load<V>(r1 + j);
            const V sum = Load<V>(r0 + j - 3) + Load<V>(r0 + j) + Load<V>(r0 + j + 3) +
                          Load<V>(r1 + j - 3) + centre + Load<V>(r1 + j + 3) + Load<V>(r2 + j - 3) +
                          belowV * Load<V>(r2 + j) + Load<V>(r2 + j + 3);
            // The mean as bytes, then back to lanes for the comparison.
            std::uint8_t mean[simd::kWidth];
            simd::StoreQuotient(mean, sum, inverse);
            const V m = Load<V>(mean);
            const V diff = centre - m;
            const V ad = diff < V{} ? -diff : diff;
            const V result = ad > thresholdV ? m : centre;
            const simd::U8 bytes = __builtin_convertvector(result, simd::U8);
            std::memcpy(out + j, &bytes, sizeof bytes);
        }
        for (; j < n; ++j) {
            const int sum = r0[j - 3] + r0[j] + r0[j + 3] + r1[j - 3] + r1[j] + r1[j + 3] +
                            r2[j - 3] + below * r2[j] + r2[j + 3];
            const int mean = meanOf[static_cast<std::size_t>(sum)];
            const int diff = r1[j] - mean;
            out[j] =
                static_cast<std::uint8_t>((diff < 0 ? -diff : diff) > threshold ? mean : r1[j]);
        }
    };
    FilterRowsInPlace(picture, progress, filterRow);
}

} // namespace core::editing
