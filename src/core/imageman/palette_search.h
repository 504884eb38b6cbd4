// The nearest palette entry to a colour, exact (squared RGB distance).
#pragma once

#include "core/common/bitmap.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace core::imageman {

inline int SquaredDistance(int r, int g, int b, const Rgbq& q) {
    return (r - q.red) * (r - q.red) + (g - q.green) * (g - q.green) + (b - q.blue) * (b - q.blue);
}

// Nearest entry of any palette, exact, with a cache of recent answers. The
// entries are sorted by green; the search walks outwards from the colour's
// green and stops once the green distance alone exceeds the best so far.
class PaletteSearch {
  public:
    explicit PaletteSearch(const std::vector<Rgbq>& pal)
        : pal_(pal), cache_(std::size_t{1} << 18, ~0ull) {
        for (std::size_t i = 0; i < pal.size(); ++i)
            order_.push_back(static_cast<int>(i));
        std::sort(order_.begin(), order_.end(),
                  [&](int a, int b) { return pal[a].green < pal[b].green; });
        for (int i : order_)
            green_.push_back(pal[static_cast<std::size_t>(i)].green);
    }
    int operator()(int r, int g, int b) {
        const std::uint64_t rgb = (std::uint64_t(r) << 16) | (g << 8) | b;
        const std::size_t key = ((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2);
        std::uint64_t& e = cache_[key];
        if ((e >> 8) == rgb) return static_cast<int>(e & 0xFF);
        const int n = static_cast<int>(order_.size());
        const int start =
            static_cast<int>(std::lower_bound(green_.begin(), green_.end(), g) - green_.begin());
        int best = order_[static_cast<std::size_t>(std::min(start, n - 1))], bestD = 1 << 30;
        for (int up = start, down = start - 1; up < n || down >= 0;) {
            bool any = false;
            if (up < n) {
                const int dg = green_[static_cast<std::size_t>(up)] - g;
                if (dg * dg < bestD) {
                    const int i = order_[static_cast<std::size_t>(up)];
                    const int d = SquaredDistance(r, g, b, pal_[static_cast<std::size_t>(i)]);
                    if (d < bestD || (d == bestD && i < best)) bestD = d, best = i;
                    ++up;
                    any = true;
                } else {
                    up = n;
                }
            }
            if (down >= 0) {
                const int dg = g - green_[static_cast<std::size_t>(down)];
                if (dg * dg <= bestD) {
                    const int i = order_[static_cast<std::size_t>(down)];
                    const int d = SquaredDistance(r, g, b, pal_[static_cast<std::size_t>(i)]);
                    if (d < bestD || (d == bestD && i < best)) bestD = d, best = i;
                    --down;
                    any = true;
                } else {
                    down = -1;
                }
            }
            if (!any) break;
        }
        e = (rgb << 8) | static_cast<std::uint64_t>(best);
        return best;
    }

  private:
    const std::vector<Rgbq>& pal_;
    std::vector<int> order_;
    std::vector<int> green_;
    std::vector<std::uint64_t> cache_;
};

} // namespace core::imageman
