#include "core/editing/threshold_mean.h"

#include "core/editing/parallel_rows.h"

#include <algorithm>
#include <vector>

namespace core::editing {

void GaussianBlur3x3(Bitmap& picture, int threshold, bool leaveOneOut, int count,
                     const ProgressFn& progress) {
    if (picture.empty() || picture.bits() != 24 || count <= 0) return;
    const int h = picture.height();
    const int rowSize = picture.width() * 3;
    if (h <= 3 || rowSize < 9) return;

    const std::size_t stride = picture.stride();
    std::vector<std::uint8_t> source(picture.data(), picture.data() + stride * static_cast<std::size_t>(h - 1));

    // mean of every possible sum, capped at 255
    std::vector<std::uint8_t> meanOf(9 * 255 + 1);
    for (int s = 0; s <= 9 * 255; ++s) meanOf[static_cast<std::size_t>(s)] = static_cast<std::uint8_t>(std::min(255, s / count));
    const int below = leaveOneOut ? 0 : 1;
    const int n = rowSize - 6;

    ParallelRows(0, h - 3, [&](int first, int last) {
        std::vector<std::uint8_t> means(static_cast<std::size_t>(n));
        std::vector<int> sums(static_cast<std::size_t>(n));
        const bool report = first == 0 && progress;
        for (int i = first; i < last; ++i) {
            if (report) ReportProgress(progress, (i - first) * 100 / (last - first));
            const std::uint8_t* r0 = source.data() + stride * static_cast<std::size_t>(i) + 3;
            const std::uint8_t* r1 = r0 + stride;
            const std::uint8_t* r2 = r1 + stride;
            int* s = sums.data();
            for (int j = 0; j < n; ++j)
                s[j] = r0[j - 3] + r0[j] + r0[j + 3] + r1[j - 3] + r1[j] + r1[j + 3] + r2[j - 3] +
                       below * r2[j] + r2[j + 3];
            for (int j = 0; j < n; ++j) means[static_cast<std::size_t>(j)] = meanOf[static_cast<std::size_t>(s[j])];
            // The target byte is still the source byte here: each byte is
            // written once, after its own row was read.
            std::uint8_t* out = picture.row(i + 1) + 3;
            const std::uint8_t* m = means.data();
            for (int j = 0; j < n; ++j) {
                const int diff = r1[j] - m[j];
                const int ad = diff < 0 ? -diff : diff;
                out[j] = ad > threshold ? m[j] : r1[j];
            }
        }
    });
}

} // namespace core::editing
