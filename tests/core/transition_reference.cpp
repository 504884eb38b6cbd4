#include "transition_reference.h"

#include <algorithm>

namespace reference {

namespace {

struct Band {
    int a, b;
    bool high; // new enters at the high end
    int o;
};

long long CeilDiv(long long a, long long b) {
    return (a + b - 1) / b;
}

} // namespace

std::vector<std::uint32_t> TransitionState(const core::imageman::FxParams& p, int w, int h,
                                           const std::vector<std::uint32_t>& oldPix,
                                           const std::vector<std::uint32_t>& newPix, int step,
                                           const std::vector<std::uint32_t>& order) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h);
    const int code = p.effect;
    const int lo = std::max<int>(p.grain & 0xFFFF, 1);
    const int hiRaw = static_cast<int>(p.grain >> 16);
    const int mode = (p.option >= 0 && p.option <= 3) ? p.option : 3;
    const bool vertical = code == 3 || code == 4 || code == 7 || code == 8 || code == 20 ||
                          code == 21 || code == 12 || code == 13;
    const int e = vertical ? h : w;
    const bool wipe = code >= 1 && code <= 4, curtain = code >= 5 && code <= 8,
               blind = code >= 18 && code <= 21, blocks = code >= 9 && code <= 13;

    if (wipe || curtain || blind) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int t = vertical ? y : x;
                Band band{};
                if (wipe) {
                    const int dir = code - 1;
                    band = {0, e, dir == 0 || dir == 2, 0};
                    band.o = static_cast<int>(std::min<long long>(e, 1LL * step * lo));
                } else if (curtain) {
                    const bool out = code == 5 || code == 7;
                    const int c = e / 2;
                    band = t < c ? Band{0, c, out, 0} : Band{c, e, !out, 0};
                    band.o =
                        static_cast<int>(std::min<long long>(band.b - band.a, 1LL * step * lo));
                } else {
                    const bool packed = p.grain >= 0x10000;
                    const int n = packed ? std::max(hiRaw, 1) : std::max<int>(p.grain, 1);
                    const int per = packed ? lo : 1;
                    const int dir = code - 18;
                    const int a = t / n * n;
                    band = {a, std::min(a + n, e), dir == 0 || dir == 2, 0};
                    band.o =
                        static_cast<int>(std::min<long long>(band.b - band.a, 1LL * step * per));
                }
                const int len = band.b - band.a, r = t - band.a, o = band.o;
                const bool scroll = mode == 0 || mode == 2, pull = mode == 0 || mode == 1;
                bool fromNew;
                int src;
                if (band.high) {
                    fromNew = r >= len - o;
                    src = fromNew ? (scroll ? band.a + r - (len - o) : t) : (pull ? t + o : t);
                } else {
                    fromNew = r < o;
                    src = fromNew ? (scroll ? t + (len - o) : t) : (pull ? t - o : t);
                }
                const int sx = vertical ? x : src, sy = vertical ? src : y;
                out[static_cast<std::size_t>(y) * w + x] =
                    (fromNew ? newPix : oldPix)[static_cast<std::size_t>(sy) * w + sx];
            }
        return out;
    }

    if (blocks) {
        const int tw = std::min(lo, w);
        const int th = std::min(code == 9 && hiRaw ? hiRaw : lo, h);
        const long long cols = CeilDiv(w, tw), rows = CeilDiv(h, th);
        const long long count = cols * rows;
        const long long steps = std::min<long long>(count, 512);
        const long long shown = CeilDiv(count * std::clamp<long long>(step, 0, steps), steps);
        std::vector<long long> position(count);
        for (long long i = 0; i < count; ++i)
            position[order[i]] = i;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const long long block = (y / th) * cols + x / tw;
                const std::size_t at = static_cast<std::size_t>(y) * w + x;
                out[at] = position[block] < shown ? newPix[at] : oldPix[at];
            }
        return out;
    }

    if (code == 14) {
        if (step <= 0) return oldPix;
        const int r0 = std::max(2, std::min(w, h) / 24);
        const long long r = std::max<long long>(0, r0 - 1LL * step * lo);
        const long long size = 2 * r + 1;
        auto blur = [&](const std::vector<std::uint32_t>& in, bool across) {
            std::vector<std::uint32_t> res(in.size());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    std::uint32_t px = 0;
                    for (int c = 0; c < 3; ++c) {
                        long long sum = 0;
                        for (long long i = -r; i <= r; ++i) {
                            const long long sx =
                                across ? std::clamp<long long>(x + i, 0, w - 1) : x;
                            const long long sy =
                                across ? y : std::clamp<long long>(y + i, 0, h - 1);
                            sum += (in[sy * w + sx] >> (8 * c)) & 0xFF;
                        }
                        px |= static_cast<std::uint32_t>((sum + size / 2) / size) << (8 * c);
                    }
                    res[static_cast<std::size_t>(y) * w + x] = px;
                }
            return res;
        };
        return blur(blur(newPix, true), false);
    }

    if (code == 16 || code == 17) {
        const int steps = core::imageman::GeometryOf(p, w, h).steps;
        if (step >= steps) return newPix;
        const bool explode = code == 17;
        const long long k = explode ? step : steps - step; // the shape's size in steps
        const int shape = (p.option >= 4 && p.option <= 6) ? p.option : 4;
        using Wide = __int128;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Twice the distance of the pixel's centre from the target's centre.
                const Wide dx = x * 2 + 1 - w < 0 ? w - 1 - 2 * x : 2 * x + 1 - w;
                const Wide dy = y * 2 + 1 - h < 0 ? h - 1 - 2 * y : 2 * y + 1 - h;
                bool inside = false;
                if (k > 0 && shape == 4) {
                    // |dx| / 2 < (k / steps) * w / 2
                    inside = dx * steps < Wide(k) * w && dy * steps < Wide(k) * h;
                } else if (k > 0 && shape == 6) {
                    // (dx/2)^2 / (t w / sqrt 2)^2 + (dy/2)^2 / (t h / sqrt 2)^2 < 1, t = k / steps
                    inside = (dx * dx * h * h + dy * dy * w * w) * steps * steps <
                             Wide(2) * k * k * w * w * h * h;
                } else if (k > 0) {
                    // Half-extents A = 0.55 t w, B = 0.55 t h, corner radius R = min(A, B) / 4,
                    // all times 80 steps.
                    const Wide X = 40 * dx * steps, Y = 40 * dy * steps;
                    const Wide A = Wide(44) * k * w, B = Wide(44) * k * h;
                    const Wide R = (A < B ? A : B) / 4;
                    if (X < A && Y < B) {
                        const Wide cx = A - R, cy = B - R;
                        inside =
                            X <= cx || Y <= cy || (X - cx) * (X - cx) + (Y - cy) * (Y - cy) < R * R;
                    }
                }
                const std::size_t at = static_cast<std::size_t>(y) * w + x;
                out[at] = (inside == explode) ? newPix[at] : oldPix[at];
            }
        return out;
    }

    // No effect: the new picture at the one step.
    return step >= 1 ? newPix : oldPix;
}

} // namespace reference
