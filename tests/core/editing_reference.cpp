#include "editing_reference.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace reference {

namespace {

using Row = std::vector<std::uint8_t>;

Row CopyRow(const core::Bitmap& bm, int y) {
    const std::uint8_t* r = bm.row(y);
    return Row(r, r + bm.width() * 3);
}

// Quicksort with the middle element as pivot, Hoare partitioning.
void QuickSort(std::vector<int>& a, int lo, int hi) {
    int i = lo, j = hi;
    const int pivot = a[static_cast<std::size_t>((lo + hi) / 2)];
    do {
        while (a[static_cast<std::size_t>(i)] < pivot)
            ++i;
        while (pivot < a[static_cast<std::size_t>(j)])
            --j;
        if (i <= j) {
            std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(j)]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (lo < j) QuickSort(a, lo, j);
    if (i < hi) QuickSort(a, i, hi);
}

} // namespace

void Spatial3x3(core::Bitmap& picture, const std::array<std::int16_t, 9>& k, int divisor) {
    const core::Bitmap source = picture;
    const int rowSize = picture.width() * 3;
    for (int i = 0; i < picture.height() - 3; ++i) {
        const Row b0 = CopyRow(source, i), b1 = CopyRow(source, i + 1), b2 = CopyRow(source, i + 2);
        std::uint8_t* out = picture.row(i + 1);
        for (int p = 3; p <= rowSize - 4; ++p) {
            int sum = 0;
            const Row* rows[3] = {&b0, &b1, &b2};
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    sum += k[static_cast<std::size_t>(r * 3 + c)] *
                           (*rows[r])[static_cast<std::size_t>(p + 3 * (c - 1))];
            int v = sum / divisor;
            if (v < 0) v = 0;
            if (v > 255) v = 255;
            out[p] = static_cast<std::uint8_t>(v);
        }
    }
}

void GaussianBlur3x3(core::Bitmap& picture, int threshold, bool leaveOneOut, int count) {
    const core::Bitmap source = picture;
    const int rowSize = picture.width() * 3;
    for (int i = 0; i < picture.height() - 3; ++i) {
        const Row b0 = CopyRow(source, i), b1 = CopyRow(source, i + 1), b2 = CopyRow(source, i + 2);
        std::uint8_t* out = picture.row(i + 1);
        for (int p = 3; p <= rowSize - 4; ++p) {
            int sum = b0[p - 3] + b0[p] + b0[p + 3] + b1[p - 3] + b1[p] + b1[p + 3] + b2[p - 3] +
                      b2[p + 3];
            if (!leaveOneOut) sum += b2[p];
            int mean = sum / count;
            if (mean > 255) mean = 255;
            if (std::abs(out[p] - mean) > threshold) out[p] = static_cast<std::uint8_t>(mean);
        }
    }
}

void Median(core::Bitmap& picture, int strength) {
    // Masks written out as the table gives them.
    static const char* const kMasks[9][7] = {
        {".#.", "###", ".#."},
        {"###", "###", "###"},
        {"..#..", "..#..", "#####", "..#..", "..#.."},
        {"..#..", ".###.", "#####", ".###.", "..#.."},
        {"...#...", "...#...", "..###..", "#######", "..###..", "...#...", "...#..."},
        {"#####", "#####", "#####", "#####", "#####"},
        {"...#...", "..###..", ".#####.", "#######", ".#####.", "..###..", "...#..."},
        {"..###..", ".#####.", "#######", "#######", "#######", ".#####.", "..###.."},
        {"#######", "#######", "#######", "#######", "#######", "#######", "#######"},
    };
    const char* const* mask = kMasks[strength - 1];
    const int n = static_cast<int>(std::strlen(mask[0]));
    const int a = (n - 1) / 2;
    const core::Bitmap source = picture;
    const int h = picture.height(), rowSize = picture.width() * 3;
    for (int y = 0; y < h; ++y) {
        std::vector<Row> rows;
        for (int r = y - a; r <= y + a; ++r)
            rows.push_back(CopyRow(source, r < 0 ? 0 : r >= h ? h - 1 : r));
        std::uint8_t* out = picture.row(y);
        for (int p = 0; p < rowSize; ++p) {
            std::vector<int> v;
            for (int r = 0; r < n; ++r)
                for (int k = -a; k <= a; ++k) {
                    if (mask[r][k + a] != '#') continue;
                    int q = p + 3 * k;
                    if (q < 0) q = 0;
                    if (q > rowSize - 1) q = rowSize - 1;
                    v.push_back(rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(q)]);
                }
            QuickSort(v, 0, static_cast<int>(v.size()) - 1);
            out[p] = static_cast<std::uint8_t>(v[(v.size() - 1) / 2]);
        }
    }
}

core::Bitmap Noise(int width, int height, std::uint32_t seed) {
    core::Bitmap bm = core::Bitmap::Create(width, height, 24).value();
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * 3; ++i) {
            seed = seed * 1664525u + 1013904223u;
            bm.row(y)[i] = static_cast<std::uint8_t>(seed >> 24);
        }
    return bm;
}

} // namespace reference
