#include "core/imageman/resample.h"

#include "core/imageman/parallel.h"
#include "core/imageman/pixels.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace core::imageman {

namespace {

constexpr int kWeightBits = 14; // each axis's weights sum to 1 << 14

struct Taps {
    int first = 0;
    std::vector<int> w;
};

// Area coverage: target pixel j covers [j·s/d, (j+1)·s/d) of the source.
std::vector<Taps> AreaTaps(int s, int d) {
    std::vector<Taps> out(static_cast<std::size_t>(d));
    for (int j = 0; j < d; ++j) {
        const std::int64_t lo = std::int64_t{j} * s, hi = std::int64_t{j + 1} * s;
        Taps& t = out[static_cast<std::size_t>(j)];
        t.first = static_cast<int>(lo / d);
        for (std::int64_t i = t.first; i < s && i * d < hi; ++i) {
            const std::int64_t a = std::max(lo, i * d), b = std::min(hi, (i + 1) * d);
            t.w.push_back(static_cast<int>(((b - a) << kWeightBits) / s));
        }
    }
    return out;
}

double CatmullRom(double x) {
    x = std::fabs(x);
    if (x < 1) return 1.5 * x * x * x - 2.5 * x * x + 1;
    if (x < 2) return -0.5 * x * x * x + 2.5 * x * x - 4 * x + 2;
    return 0;
}

// Bicubic: four taps around the centre-aligned source position, edges clamped.
std::vector<Taps> CubicTaps(int s, int d) {
    std::vector<Taps> out(static_cast<std::size_t>(d));
    for (int j = 0; j < d; ++j) {
        const double pos = (j + 0.5) * s / d - 0.5;
        const int base = static_cast<int>(std::floor(pos));
        Taps& t = out[static_cast<std::size_t>(j)];
        const int lo = std::max(0, base - 1), hi = std::min(s - 1, base + 2);
        t.first = lo;
        t.w.assign(static_cast<std::size_t>(hi - lo + 1), 0);
        for (int k = base - 1; k <= base + 2; ++k) {
            const int i = std::clamp(k, 0, s - 1);
            t.w[static_cast<std::size_t>(i - lo)] +=
                static_cast<int>(std::lround(CatmullRom(pos - k) * (1 << kWeightBits)));
        }
    }
    return out;
}

std::vector<Taps> MakeTaps(int s, int d) {
    std::vector<Taps> t = d <= s ? AreaTaps(s, d) : CubicTaps(s, d);
    // Rounding leaves the sum a little off 1 << 14: the largest weight takes
    // the rest so that flat areas stay exactly flat.
    for (Taps& tp : t) {
        int sum = 0;
        for (int v : tp.w)
            sum += v;
        auto big = std::max_element(tp.w.begin(), tp.w.end());
        *big += (1 << kWeightBits) - sum;
    }
    return t;
}

} // namespace

Result<Bitmap> Resample(const Bitmap& src, const Rect& source, int width, int height) {
    if (source.left < 0 || source.top < 0 || source.right > src.width() ||
        source.bottom > src.height() || source.width() <= 0 || source.height() <= 0)
        return Error{"Bad source rectangle."};
    auto made = Bitmap::Create(width, height, 24);
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    const int sw = source.width(), sh = source.height();
    const std::vector<Taps> xt = MakeTaps(sw, width), yt = MakeTaps(sh, height);
    std::size_t ring = 1;
    for (const Taps& t : yt)
        ring = std::max(ring, t.w.size());

    const bool ok = ParallelRows(height, [&](int y0, int y1) {
        // Horizontally resampled source rows, kept in a small ring because
        // neighbouring target rows share their source rows.
        std::vector<std::int32_t> cache(ring * 3 * static_cast<std::size_t>(width));
        std::vector<int> cachedRow(ring, -1);
        std::vector<std::uint8_t> line(3 * static_cast<std::size_t>(src.width()));
        std::vector<std::int32_t> acc(3 * static_cast<std::size_t>(width));
        auto horizontal = [&](int sy) -> const std::int32_t* {
            const std::size_t slot = static_cast<std::size_t>(sy) % ring;
            std::int32_t* h = cache.data() + slot * 3 * static_cast<std::size_t>(width);
            if (cachedRow[slot] == sy) return h;
            const std::uint8_t* in;
            if (src.bits() == 24) {
                in = src.row(source.top + sy) + 3 * static_cast<std::size_t>(source.left);
            } else {
                ExpandRowBGR(src, source.top + sy, line.data());
                in = line.data() + 3 * static_cast<std::size_t>(source.left);
            }
            for (int x = 0; x < width; ++x) {
                const Taps& t = xt[static_cast<std::size_t>(x)];
                const std::uint8_t* p = in + 3 * static_cast<std::size_t>(t.first);
                std::int32_t b = 0, g = 0, r = 0;
                for (int wv : t.w) {
                    b += p[0] * wv;
                    g += p[1] * wv;
                    r += p[2] * wv;
                    p += 3;
                }
                // Keep 7 fractional bits so the vertical pass fits 32 bits.
                h[3 * x] = (b + 64) >> 7;
                h[3 * x + 1] = (g + 64) >> 7;
                h[3 * x + 2] = (r + 64) >> 7;
            }
            cachedRow[slot] = sy;
            return h;
        };
        for (int y = y0; y < y1; ++y) {
            const Taps& t = yt[static_cast<std::size_t>(y)];
            std::fill(acc.begin(), acc.end(), 0);
            for (std::size_t k = 0; k < t.w.size(); ++k) {
                const std::int32_t* h = horizontal(t.first + static_cast<int>(k));
                const std::int32_t wv = t.w[k];
                for (std::size_t i = 0; i < acc.size(); ++i)
                    acc[i] += h[i] * wv;
            }
            std::uint8_t* o = out.row(y);
            constexpr int shift = kWeightBits + 7;
            for (std::size_t i = 0; i < acc.size(); ++i)
                o[i] = static_cast<std::uint8_t>(
                    std::clamp((acc[i] + (1 << (shift - 1))) >> shift, 0, 255));
        }
    });
    if (!ok) return Error{"Insufficient memory."};
    return out;
}

} // namespace core::imageman
