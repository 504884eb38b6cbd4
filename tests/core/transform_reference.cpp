#include "transform_reference.h"

#include <algorithm>
#include <cmath>

namespace reference {

namespace {
constexpr double kPi = 3.14159265358979323846;

double Channel(const core::Bitmap& s, int x, int y, int c, core::Rgbq fill) {
    if (x < 0 || y < 0 || x >= s.width() || y >= s.height())
        return c == 0 ? fill.blue : c == 1 ? fill.green : fill.red;
    return s.row(y)[3 * x + c];
}

double Cubic(double x) {
    x = std::fabs(x);
    if (x < 1) return 1.5 * x * x * x - 2.5 * x * x + 1;
    if (x < 2) return -0.5 * x * x * x + 2.5 * x * x - 4 * x + 2;
    return 0;
}

// Weights of every source index for target index j.
std::vector<double> Weights(int s, int d, int j) {
    std::vector<double> w(static_cast<std::size_t>(s), 0.0);
    if (d <= s) {
        const double lo = static_cast<double>(j) * s / d, hi = static_cast<double>(j + 1) * s / d;
        for (int i = 0; i < s; ++i)
            w[static_cast<std::size_t>(i)] =
                std::max(0.0, std::min(hi, i + 1.0) - std::max(lo, double(i))) / (hi - lo);
    } else {
        const double pos = (j + 0.5) * s / d - 0.5;
        const int base = static_cast<int>(std::floor(pos));
        for (int k = base - 1; k <= base + 2; ++k)
            w[static_cast<std::size_t>(std::clamp(k, 0, s - 1))] += Cubic(pos - k);
    }
    return w;
}
} // namespace

core::Bitmap Rotate24(const core::Bitmap& src, int angle, int ow, int oh, core::Rgbq fill) {
    core::Bitmap out = core::Bitmap::Create(ow, oh, 24).value();
    const double t = angle * kPi / 18000.0, cs = std::cos(t), sn = std::sin(t);
    for (int oy = 0; oy < oh; ++oy)
        for (int ox = 0; ox < ow; ++ox) {
            const double dx = ox - (ow / 2.0 - 0.5), dy = oy - (oh / 2.0 - 0.5);
            const double sx = src.width() / 2.0 - 0.5 + dx * cs - dy * sn;
            const double sy = src.height() / 2.0 - 0.5 + dx * sn + dy * cs;
            const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
            const double ax = sx - x0, ay = sy - y0;
            for (int c = 0; c < 3; ++c) {
                const double v = (1 - ay) * ((1 - ax) * Channel(src, x0, y0, c, fill) +
                                             ax * Channel(src, x0 + 1, y0, c, fill)) +
                                 ay * ((1 - ax) * Channel(src, x0, y0 + 1, c, fill) +
                                       ax * Channel(src, x0 + 1, y0 + 1, c, fill));
                out.row(oy)[3 * ox + c] = static_cast<std::uint8_t>(std::lround(v));
            }
        }
    return out;
}

core::Bitmap Resample24(const core::Bitmap& src, int width, int height) {
    core::Bitmap out = core::Bitmap::Create(width, height, 24).value();
    for (int y = 0; y < height; ++y) {
        const auto wy = Weights(src.height(), height, y);
        for (int x = 0; x < width; ++x) {
            const auto wx = Weights(src.width(), width, x);
            for (int c = 0; c < 3; ++c) {
                double v = 0;
                for (int sy = 0; sy < src.height(); ++sy) {
                    if (wy[static_cast<std::size_t>(sy)] == 0) continue;
                    for (int sx = 0; sx < src.width(); ++sx)
                        v += wy[static_cast<std::size_t>(sy)] * wx[static_cast<std::size_t>(sx)] *
                             src.row(sy)[3 * sx + c];
                }
                out.row(y)[3 * x + c] =
                    static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
            }
        }
    }
    return out;
}

int NearestDistance(const std::vector<core::Rgbq>& pal, int r, int g, int b) {
    int best = 1 << 30;
    for (const auto& q : pal)
        best = std::min(best, (r - q.red) * (r - q.red) + (g - q.green) * (g - q.green) +
                                  (b - q.blue) * (b - q.blue));
    return best;
}

} // namespace reference
