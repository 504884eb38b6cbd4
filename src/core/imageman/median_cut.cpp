#include "core/imageman/median_cut.h"

#include "core/imageman/palette_search.h"
#include "core/imageman/pixels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace core::imageman {

namespace {

struct Bin {
    double w = 0;
    std::array<double, 3> mean{}; // red, green, blue
};

// Splitting weighs green most and blue least, as the eye does.
constexpr std::array<double, 3> kAxisWeight = {1.0, 1.2, 0.8};

struct Box {
    std::size_t begin = 0, end = 0;
    double sse = 0;
};

double BoxSse(const std::vector<Bin>& bins, std::size_t b, std::size_t e) {
    double w = 0;
    std::array<double, 3> s{}, q{};
    for (std::size_t i = b; i < e; ++i) {
        w += bins[i].w;
        for (int c = 0; c < 3; ++c) {
            s[c] += bins[i].w * bins[i].mean[c];
            q[c] += bins[i].w * bins[i].mean[c] * bins[i].mean[c];
        }
    }
    if (w <= 0) return 0;
    double sse = 0;
    for (int c = 0; c < 3; ++c)
        sse += kAxisWeight[c] * (q[c] - s[c] * s[c] / w);
    return sse;
}

// Sorts the box along its widest axis and cuts where the two halves' summed
// error is least. Returns the cut position (begin < cut < end).
std::size_t Split(std::vector<Bin>& bins, const Box& box) {
    std::array<double, 3> s{}, q{};
    double w = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        w += bins[i].w;
        for (int c = 0; c < 3; ++c) {
            s[c] += bins[i].w * bins[i].mean[c];
            q[c] += bins[i].w * bins[i].mean[c] * bins[i].mean[c];
        }
    }
    int axis = 0;
    double best = -1;
    for (int c = 0; c < 3; ++c) {
        const double v = kAxisWeight[c] * (q[c] - s[c] * s[c] / w);
        if (v > best) best = v, axis = c;
    }
    std::sort(bins.begin() + static_cast<std::ptrdiff_t>(box.begin),
              bins.begin() + static_cast<std::ptrdiff_t>(box.end),
              [axis](const Bin& a, const Bin& b) { return a.mean[axis] < b.mean[axis]; });
    std::array<double, 3> ls{}, lq{};
    double lw = 0, bestSse = -1;
    std::size_t cut = box.begin + 1;
    for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
        lw += bins[i].w;
        double sse = 0;
        for (int c = 0; c < 3; ++c) {
            ls[c] += bins[i].w * bins[i].mean[c];
            lq[c] += bins[i].w * bins[i].mean[c] * bins[i].mean[c];
            const double rs = s[c] - ls[c], rq = q[c] - lq[c], rw = w - lw;
            sse +=
                kAxisWeight[c] * ((lq[c] - ls[c] * ls[c] / lw) + (rw > 0 ? rq - rs * rs / rw : 0));
        }
        if (bestSse < 0 || sse < bestSse) bestSse = sse, cut = i + 1;
    }
    return cut;
}

std::array<double, 3> MeanOf(const std::vector<Bin>& bins, std::size_t b, std::size_t e) {
    double w = 0;
    std::array<double, 3> s{};
    for (std::size_t i = b; i < e; ++i) {
        w += bins[i].w;
        for (int c = 0; c < 3; ++c)
            s[c] += bins[i].w * bins[i].mean[c];
    }
    for (double& v : s)
        v = w > 0 ? v / w : 0;
    return s;
}

} // namespace

std::vector<Rgbq> OptimalPalette(const Bitmap& src, int colors) {
    // Histogram: count and colour sums per 6-bit cell, so each cell stands
    // for the exact mean of its pixels.
    constexpr std::size_t kCells = std::size_t{1} << 18;
    std::vector<std::uint32_t> count(kCells);
    std::vector<std::array<std::uint64_t, 3>> sum(kCells);
    std::vector<std::uint8_t> line(3 * static_cast<std::size_t>(src.width()));
    for (int y = 0; y < src.height(); ++y) {
        ExpandRowBGR(src, y, line.data());
        for (int x = 0; x < src.width(); ++x) {
            const unsigned b = line[3 * x], g = line[3 * x + 1], r = line[3 * x + 2];
            const std::size_t k = ((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2);
            ++count[k];
            sum[k][0] += r;
            sum[k][1] += g;
            sum[k][2] += b;
        }
    }
    std::vector<Bin> bins;
    for (std::size_t k = 0; k < kCells; ++k) {
        if (!count[k]) continue;
        Bin b;
        b.w = count[k];
        for (int c = 0; c < 3; ++c)
            b.mean[c] = static_cast<double>(sum[k][c]) / count[k];
        bins.push_back(b);
    }
    if (bins.empty()) return {Rgbq{}};

    std::vector<Box> boxes{{0, bins.size(), BoxSse(bins, 0, bins.size())}};
    while (static_cast<int>(boxes.size()) < colors) {
        auto it = std::max_element(boxes.begin(), boxes.end(),
                                   [](const Box& a, const Box& b) { return a.sse < b.sse; });
        if (it->end - it->begin < 2 || it->sse <= 0) break;
        const Box box = *it;
        const std::size_t cut = Split(bins, box);
        *it = Box{box.begin, cut, BoxSse(bins, box.begin, cut)};
        boxes.push_back(Box{cut, box.end, BoxSse(bins, cut, box.end)});
    }
    std::vector<std::array<double, 3>> centres;
    for (const Box& b : boxes)
        centres.push_back(MeanOf(bins, b.begin, b.end));

    // A few k-means rounds over the cells move each entry to the mean of the
    // colours that actually map to it (cells matched at whole-number colours).
    auto toPalette = [&] {
        std::vector<Rgbq> p;
        for (const auto& c : centres) {
            auto v = [](double x) {
                return static_cast<std::uint8_t>(std::clamp(std::lround(x), 0L, 255L));
            };
            p.push_back(Rgbq{v(c[2]), v(c[1]), v(c[0]), 0});
        }
        return p;
    };
    for (int round = 0; round < 4; ++round) {
        const std::vector<Rgbq> current = toPalette();
        PaletteSearch nearest(current);
        std::vector<std::array<double, 4>> acc(centres.size());
        for (const Bin& b : bins) {
            const auto best = static_cast<std::size_t>(nearest(
                static_cast<int>(std::lround(b.mean[0])), static_cast<int>(std::lround(b.mean[1])),
                static_cast<int>(std::lround(b.mean[2]))));
            for (int c = 0; c < 3; ++c)
                acc[best][c] += b.w * b.mean[c];
            acc[best][3] += b.w;
        }
        for (std::size_t i = 0; i < centres.size(); ++i)
            if (acc[i][3] > 0)
                for (int c = 0; c < 3; ++c)
                    centres[i][c] = acc[i][c] / acc[i][3];
    }
    return toPalette();
}

} // namespace core::imageman
