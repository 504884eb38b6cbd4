#include "core/imageman/reduce_colors.h"

#include "core/imageman/median_cut.h"
#include "core/imageman/palette_search.h"
#include "core/imageman/pixels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace core::imageman {

namespace {

int DepthFor(std::size_t entries) {
    return entries <= 2 ? 1 : entries <= 16 ? 4 : 8;
}

// The 46 gray levels k·255/45; every ninth is one of the cube's grays.
int GrayLevel(int k) {
    return (k * 255 + 22) / 45;
}

std::vector<Rgbq> CubePalette() {
    std::vector<Rgbq> pal;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                pal.push_back(Rgbq{static_cast<std::uint8_t>(51 * b),
                                   static_cast<std::uint8_t>(51 * g),
                                   static_cast<std::uint8_t>(51 * r), 0});
    for (int k = 0; k <= 45; ++k)
        if (k % 9) {
            const auto v = static_cast<std::uint8_t>(GrayLevel(k));
            pal.push_back(Rgbq{v, v, v, 0});
        }
    return pal;
}

int Dist(int r, int g, int b, const Rgbq& q) {
    return (r - q.red) * (r - q.red) + (g - q.green) * (g - q.green) + (b - q.blue) * (b - q.blue);
}

// Nearest entry of the cube-and-grays palette in closed form: the cube's
// nearest point is found per channel, the nearest gray from the mean.
int CubeNearest(int r, int g, int b, const std::vector<Rgbq>& pal) {
    const int ri = (r + 25) / 51, gi = (g + 25) / 51, bi = (b + 25) / 51;
    int best = 36 * ri + 6 * gi + bi;
    int bestD = Dist(r, g, b, pal[static_cast<std::size_t>(best)]);
    const int k0 = ((r + g + b) * 45 + 382) / 765;
    for (int k = std::max(0, k0 - 1); k <= std::min(45, k0 + 1); ++k) {
        const int idx = k % 9 ? 216 + k - k / 9 - 1 : 43 * (k / 9);
        const int d = Dist(r, g, b, pal[static_cast<std::size_t>(idx)]);
        if (d < bestD) bestD = d, best = idx;
    }
    return best;
}

// Walks the rows, maps each colour with `nearest`, optionally spreads the
// error Floyd–Steinberg style (serpentine, errors in sixteenths).
template <class Nearest>
Status Map(const Bitmap& src, Bitmap& out, const std::vector<Rgbq>& pal, bool diffuse,
           Nearest&& nearest, const ProgressFn& progress) {
    const int w = src.width(), h = src.height(), bits = out.bits();
    std::vector<std::uint8_t> line(3 * static_cast<std::size_t>(w));
    std::vector<int> errA(3 * static_cast<std::size_t>(w + 2)), errB(errA.size());
    int lastReported = -1;
    for (int y = 0; y < h; ++y) {
        ExpandRowBGR(src, y, line.data());
        std::uint8_t* o = out.row(y);
        if (!diffuse) {
            for (int x = 0; x < w; ++x)
                SetIndex(o, x, bits,
                         static_cast<std::uint32_t>(
                             nearest(line[3 * x + 2], line[3 * x + 1], line[3 * x])));
        } else {
            std::fill(errB.begin(), errB.end(), 0);
            const int dir = (y & 1) ? -1 : 1;
            for (int i = 0; i < w; ++i) {
                const int x = dir > 0 ? i : w - 1 - i;
                const std::size_t e =
                    3 * static_cast<std::size_t>(x + 1); // one cell of margin each side
                int c[3];
                for (int k = 0; k < 3; ++k) {
                    const int v =
                        line[3 * x + 2 - k] + (errA[e + k] + (errA[e + k] >= 0 ? 8 : -8)) / 16;
                    c[k] = std::clamp(v, 0, 255);
                }
                const int idx = nearest(c[0], c[1], c[2]);
                SetIndex(o, x, bits, static_cast<std::uint32_t>(idx));
                const Rgbq& q = pal[static_cast<std::size_t>(idx)];
                const int err[3] = {c[0] - q.red, c[1] - q.green, c[2] - q.blue};
                const std::size_t fwd = e + 3 * dir, back = e - 3 * dir;
                for (int k = 0; k < 3; ++k) {
                    errA[fwd + k] += 7 * err[k];
                    errB[back + k] += 3 * err[k];
                    errB[e + k] += 5 * err[k];
                    errB[fwd + k] += err[k];
                }
            }
            std::swap(errA, errB);
        }
        const int pct = static_cast<int>((y + 1) * 100LL / h);
        if (pct / 5 != lastReported) {
            lastReported = pct / 5;
            if (!ReportProgress(progress, pct)) return Error{"Stopped."};
        }
    }
    return Ok();
}

Result<Bitmap> MakeOut(const Bitmap& src, const std::vector<Rgbq>& pal) {
    auto made = Bitmap::Create(src.width(), src.height(), DepthFor(pal.size()));
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    out.palette() = pal;
    out.palette().resize(std::size_t{1} << out.bits()); // unused entries black
    return out;
}

Result<Bitmap> Finish(Result<Bitmap> out, Status st) {
    if (!st) return st.error();
    return out;
}

const std::vector<Rgbq>& BlackWhite() {
    static const std::vector<Rgbq> pal = {Rgbq{0, 0, 0, 0}, Rgbq{255, 255, 255, 0}};
    return pal;
}

// Gray levels (or black and white) from the luminance; error diffusion on it
// when asked.
Result<Bitmap> ToGrayLevels(const Bitmap& src, int levels, bool diffuse,
                            const ProgressFn& progress) {
    std::vector<Rgbq> pal = levels == 2 ? BlackWhite() : GrayPalette(levels == 16 ? 4 : 8);
    auto out = MakeOut(src, pal);
    if (!out) return out;
    const int top = levels - 1;
    // Diffusing in gray: all three channels carry the same error.
    auto nearest = [&](int r, int g, int b) {
        const int l = Luma(r, g, b);
        return (l * top + 127) / 255;
    };
    if (!diffuse || levels == 256) {
        Status st = Map(src, *out, pal, false, nearest, progress);
        return Finish(std::move(out), std::move(st));
    }
    // Work on a gray copy so the diffused error is a luminance error.
    auto gray = Bitmap::Create(src.width(), src.height(), 8);
    if (!gray) return gray.error();
    std::vector<std::uint8_t> line(3 * static_cast<std::size_t>(src.width()));
    for (int y = 0; y < src.height(); ++y) {
        ExpandRowBGR(src, y, line.data());
        for (int x = 0; x < src.width(); ++x)
            gray->row(y)[x] =
                static_cast<std::uint8_t>(Luma(line[3 * x + 2], line[3 * x + 1], line[3 * x]));
    }
    Status st = Map(
        *gray, *out, pal, true, [&](int r, int, int) { return (r * top + 127) / 255; }, progress);
    return Finish(std::move(out), std::move(st));
}

Result<Bitmap> Ordered(const Bitmap& src, const ProgressFn& progress) {
    auto out = MakeOut(src, BlackWhite());
    if (!out) return out;
    static constexpr int m[8][8] = {
        {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
        {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
        {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
    std::vector<std::uint8_t> line(3 * static_cast<std::size_t>(src.width()));
    for (int y = 0; y < src.height(); ++y) {
        ExpandRowBGR(src, y, line.data());
        for (int x = 0; x < src.width(); ++x) {
            const int l = Luma(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
            const int t = 4 * m[y & 7][x & 7] + 2; // thresholds 2..254
            SetIndex(out->row(y), x, 1, l >= t ? 1 : 0);
        }
        if (!ReportProgress(progress, static_cast<int>((y + 1) * 100LL / src.height())))
            return Error{"Stopped."};
    }
    return out;
}

} // namespace

std::vector<Rgbq> FixedPalette(int colors) {
    if (colors == 2) return BlackWhite();
    if (colors == 256) return CubePalette();
    if (colors != 16) return {};
    static constexpr std::uint32_t vga[16] = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    std::vector<Rgbq> pal;
    for (std::uint32_t c : vga)
        pal.push_back(Rgbq{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                           static_cast<std::uint8_t>(c >> 16), 0});
    return pal;
}

Result<Bitmap> ReduceToPalette(const Bitmap& src, const std::vector<Rgbq>& palette, bool diffuse,
                               const ProgressFn& progress) {
    if (src.empty()) return Error{"No picture."};
    if (palette.empty() || palette.size() > 256) return Error{"Bad palette."};
    auto out = MakeOut(src, palette);
    if (!out) return out;
    PaletteSearch search(palette);
    Status st = Map(src, *out, palette, diffuse, search, progress);
    return Finish(std::move(out), std::move(st));
}

Result<Bitmap> ReduceColors(const Bitmap& src, int colors, int mode, const ProgressFn& progress) {
    if (src.empty()) return Error{"No picture."};
    if (colors != 2 && colors != 16 && colors != 256)
        return Fail("Cannot reduce to %d colours.", colors);
    switch (mode) {
    case kReduceThreshold:
        return ToGrayLevels(src, 2, false, progress);
    case kReduceOrdered:
        return Ordered(src, progress);
    case kReduceGray:
        return ToGrayLevels(src, colors, true, progress);
    case kReduceOptimal:
        if (colors == 2) return ToGrayLevels(src, 2, true, progress);
        return ReduceToPalette(src, OptimalPalette(src, colors), true, progress);
    case kReduceFixed:
    case kReduceFixedDiffused: {
        const bool diffuse = mode == kReduceFixedDiffused;
        if (colors != 256) return ReduceToPalette(src, FixedPalette(colors), diffuse, progress);
        const std::vector<Rgbq> pal = CubePalette();
        auto out = MakeOut(src, pal);
        if (!out) return out;
        Status st = Map(
            src, *out, pal, diffuse, [&](int r, int g, int b) { return CubeNearest(r, g, b, pal); },
            progress);
        return Finish(std::move(out), std::move(st));
    }
    default:
        return Fail("Unknown colour reduction mode %d.", mode);
    }
}

} // namespace core::imageman
