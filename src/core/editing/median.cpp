#include "core/editing/median.h"

#include "core/editing/parallel_rows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace core::editing {

MedianShape MedianShapeFor(int strength) {
    strength = std::clamp(strength, 1, 9);
    static constexpr int kSize[9] = {3, 3, 5, 5, 7, 5, 7, 7, 7};
    MedianShape s;
    s.size = kSize[strength - 1];
    const int a = (s.size - 1) / 2;
    for (int dy = -a; dy <= a; ++dy)
        for (int dx = -a; dx <= a; ++dx) {
            const int ady = std::abs(dy), adx = std::abs(dx), m = ady + adx;
            const bool plus = dy == 0 || dx == 0;
            bool on = false;
            switch (strength) {
            case 1:
            case 3:
                on = plus;
                break;
            case 2:
            case 6:
            case 9:
                on = true;
                break;
            case 4:
            case 7:
                on = m <= a;
                break;
            case 5:
                on = plus || (ady <= 1 && adx <= 1);
                break;
            case 8:
                on = !(ady == 3 && adx >= 2) && !(adx == 3 && ady >= 2);
                break;
            }
            if (on) s.cells.emplace_back(dy, dx);
        }
    return s;
}

namespace {

using Pair = std::pair<int, int>;

// Batcher's odd-even merge sort for n inputs (comparators that touch an index
// past n are dropped: those inputs act as +infinity), then pruned to the
// comparators the middle output depends on.
std::vector<Pair> MedianNetwork(int n) {
    int size = 1;
    while (size < n)
        size <<= 1;
    std::vector<Pair> net;
    for (int p = 1; p < size; p <<= 1)
        for (int k = p; k >= 1; k >>= 1)
            for (int j = k % p; j + k < size; j += 2 * k)
                for (int i = 0; i < std::min(k, size - j - k); ++i) {
                    const int x = i + j, y = i + j + k;
                    if (x / (2 * p) == y / (2 * p) && y < n) net.emplace_back(x, y);
                }
    std::vector<bool> live(static_cast<std::size_t>(n), false);
    live[static_cast<std::size_t>((n - 1) / 2)] = true;
    std::vector<Pair> kept;
    for (auto it = net.rbegin(); it != net.rend(); ++it) {
        if (!live[static_cast<std::size_t>(it->first)] &&
            !live[static_cast<std::size_t>(it->second)])
            continue;
        live[static_cast<std::size_t>(it->first)] = live[static_cast<std::size_t>(it->second)] =
            true;
        kept.push_back(*it);
    }
    std::reverse(kept.begin(), kept.end());
    return kept;
}

constexpr int kLanes = 32;
typedef std::uint8_t Lanes __attribute__((vector_size(kLanes)));

} // namespace

void Median(Bitmap& picture, int strength, const ProgressFn& progress) {
    if (picture.empty() || picture.bits() != 24) return;
    const MedianShape shape = MedianShapeFor(strength);
    const int a = (shape.size - 1) / 2;
    const int h = picture.height();
    const int rowSize = picture.width() * 3;
    const int n = static_cast<int>(shape.cells.size());
    const int mid = (n - 1) / 2;

    // The source with each row widened by 3a bytes on both sides, holding the
    // row's first and last byte, so that held positions need no test.
    const int pad = 3 * a;
    const std::size_t wide = static_cast<std::size_t>(rowSize + 2 * pad);
    std::vector<std::uint8_t> source(wide * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        std::uint8_t* d = source.data() + wide * static_cast<std::size_t>(y);
        const std::uint8_t* r = picture.row(y);
        std::memset(d, r[0], static_cast<std::size_t>(pad));
        std::memcpy(d + pad, r, static_cast<std::size_t>(rowSize));
        std::memset(d + pad + rowSize, r[rowSize - 1], static_cast<std::size_t>(pad));
    }
    const std::vector<Pair> net = MedianNetwork(n);

    ParallelRows(0, h, [&](int first, int last) {
        std::vector<const std::uint8_t*> at(static_cast<std::size_t>(n));
        std::vector<Lanes> v(static_cast<std::size_t>(n));
        std::vector<std::uint8_t> values(static_cast<std::size_t>(n));
        const bool report = first == 0 && progress;
        for (int y = first; y < last; ++y) {
            if (report) ReportProgress(progress, (y - first) * 100 / (last - first));
            for (int c = 0; c < n; ++c) {
                const auto [dy, dx] = shape.cells[static_cast<std::size_t>(c)];
                const int sy = std::clamp(y + dy, 0, h - 1);
                at[static_cast<std::size_t>(c)] =
                    source.data() + wide * static_cast<std::size_t>(sy) + pad + 3 * dx;
            }
            std::uint8_t* out = picture.row(y);
            int p = 0;
            // Whole groups of lanes through the network; the last group may
            // overlap the one before (the source does not change).
            while (rowSize >= kLanes && p < rowSize) {
                if (p + kLanes > rowSize) p = rowSize - kLanes;
                for (int c = 0; c < n; ++c)
                    std::memcpy(&v[static_cast<std::size_t>(c)],
                                at[static_cast<std::size_t>(c)] + p, kLanes);
                for (const Pair& e : net) {
                    Lanes& x = v[static_cast<std::size_t>(e.first)];
                    Lanes& z = v[static_cast<std::size_t>(e.second)];
                    const Lanes lo = x < z ? x : z;
                    const Lanes hi = x < z ? z : x;
                    x = lo;
                    z = hi;
                }
                std::memcpy(out + p, &v[static_cast<std::size_t>(mid)], kLanes);
                p += kLanes;
            }
            // Rows narrower than one group.
            for (; p < rowSize; ++p) {
                for (int c = 0; c < n; ++c)
                    values[static_cast<std::size_t>(c)] = at[static_cast<std::size_t>(c)][p];
                std::nth_element(values.begin(), values.begin() + mid, values.end());
                out[p] = values[static_cast<std::size_t>(mid)];
            }
        }
    });
}

} // namespace core::editing
