#include "core/imageman/scale.h"

#include "core/imageman/pixels.h"

#include <cstring>
#include <vector>

namespace core::imageman {

namespace {

// Expands one row of any depth to B, G, R bytes.
void ExpandRow(const Bitmap& src, int y, int x0, int count, std::uint8_t* out) {
    if (src.bits() == 24) {
        std::memcpy(out, src.row(y) + 3 * static_cast<std::size_t>(x0),
                    3 * static_cast<std::size_t>(count));
        return;
    }
    const auto& pal = src.palette();
    for (int i = 0; i < count; ++i) {
        const std::uint32_t idx = src.pixel(x0 + i, y);
        const Rgbq q = idx < pal.size() ? pal[idx] : Rgbq{};
        out[3 * i] = q.blue;
        out[3 * i + 1] = q.green;
        out[3 * i + 2] = q.red;
    }
}

// For every target position, the source positions it covers and their
// weights: source pixel i spans [i·dst, (i+1)·dst) and target pixel j spans
// [j·src, (j+1)·src) on a common axis, so weights are integers summing to src.
struct Span {
    int first = 0;
    std::vector<std::uint32_t> weights;
};

std::vector<Span> Coverage(int srcLen, int dstLen) {
    std::vector<Span> spans(static_cast<std::size_t>(dstLen));
    const std::int64_t s = srcLen, d = dstLen;
    for (std::int64_t j = 0; j < d; ++j) {
        const std::int64_t lo = j * s, hi = (j + 1) * s;
        std::int64_t i = lo / d;
        Span& sp = spans[static_cast<std::size_t>(j)];
        sp.first = static_cast<int>(i);
        for (; i < srcLen && i * d < hi; ++i) {
            const std::int64_t a = std::max(lo, i * d), b = std::min(hi, (i + 1) * d);
            sp.weights.push_back(static_cast<std::uint32_t>(b - a));
        }
    }
    return spans;
}

bool ValidRect(const Bitmap& src, const Rect& r) {
    return r.left >= 0 && r.top >= 0 && r.right <= src.width() && r.bottom <= src.height() &&
           r.width() > 0 && r.height() > 0;
}

} // namespace

Result<Bitmap> AreaAverage(const Bitmap& src, const Rect& source, int width, int height,
                           bool toGray) {
    if (!ValidRect(src, source)) return Error{"Bad source rectangle."};
    auto made = Bitmap::Create(width, height, toGray ? 8 : 24);
    if (!made) return made.error();
    Bitmap out = std::move(made).value();

    const int sw = source.width(), sh = source.height();
    const auto xs = Coverage(sw, width);
    const auto ys = Coverage(sh, height);
    const std::uint64_t total = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);

    std::vector<std::uint8_t> line(3 * static_cast<std::size_t>(sw));
    std::vector<std::uint64_t> rowSum(3 * static_cast<std::size_t>(width));
    std::vector<std::uint64_t> acc(3 * static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(acc.begin(), acc.end(), 0);
        const Span& vy = ys[static_cast<std::size_t>(y)];
        for (std::size_t k = 0; k < vy.weights.size(); ++k) {
            ExpandRow(src, source.top + vy.first + static_cast<int>(k), source.left, sw,
                      line.data());
            for (int x = 0; x < width; ++x) {
                const Span& hx = xs[static_cast<std::size_t>(x)];
                std::uint64_t b = 0, g = 0, r = 0;
                const std::uint8_t* p = line.data() + 3 * static_cast<std::size_t>(hx.first);
                for (std::uint32_t w : hx.weights) {
                    b += std::uint64_t{p[0]} * w;
                    g += std::uint64_t{p[1]} * w;
                    r += std::uint64_t{p[2]} * w;
                    p += 3;
                }
                rowSum[3 * x] = b;
                rowSum[3 * x + 1] = g;
                rowSum[3 * x + 2] = r;
            }
            const std::uint64_t wy = vy.weights[k];
            for (std::size_t i = 0; i < acc.size(); ++i) acc[i] += rowSum[i] * wy;
        }
        std::uint8_t* o = out.row(y);
        for (int x = 0; x < width; ++x) {
            const auto b = static_cast<unsigned>((acc[3 * x] + total / 2) / total);
            const auto g = static_cast<unsigned>((acc[3 * x + 1] + total / 2) / total);
            const auto r = static_cast<unsigned>((acc[3 * x + 2] + total / 2) / total);
            if (toGray) {
                o[x] = static_cast<std::uint8_t>((77 * r + 150 * g + 29 * b + 128) >> 8);
            } else {
                o[3 * x] = static_cast<std::uint8_t>(b);
                o[3 * x + 1] = static_cast<std::uint8_t>(g);
                o[3 * x + 2] = static_cast<std::uint8_t>(r);
            }
        }
    }
    return out;
}

Result<Bitmap> NearestCopy(const Bitmap& src, const Rect& source, int width, int height) {
    if (!ValidRect(src, source)) return Error{"Bad source rectangle."};
    auto made = Bitmap::Create(width, height, src.bits());
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    out.palette() = src.palette();
    const std::int64_t sw = source.width(), sh = source.height();
    std::vector<int> mapX(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        mapX[static_cast<std::size_t>(x)] = source.left + static_cast<int>((2 * x + 1) * sw / (2 * width));
    for (int y = 0; y < height; ++y) {
        const int sy = source.top + static_cast<int>((2 * std::int64_t{y} + 1) * sh / (2 * height));
        std::uint8_t* o = out.row(y);
        const std::uint8_t* in = src.row(sy);
        for (int x = 0; x < width; ++x) {
            const int sx = mapX[static_cast<std::size_t>(x)];
            switch (src.bits()) {
            case 24: std::memcpy(o + 3 * x, in + 3 * sx, 3); break;
            case 8: o[x] = in[sx]; break;
            case 4: {
                const std::uint8_t v = (sx & 1) ? (in[sx >> 1] & 0x0F) : (in[sx >> 1] >> 4);
                o[x >> 1] |= (x & 1) ? v : static_cast<std::uint8_t>(v << 4);
                break;
            }
            default:
                if ((in[sx >> 3] >> (7 - (sx & 7))) & 1) o[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            }
        }
    }
    return out;
}

Result<Bitmap> PreservingCopy(const Bitmap& src, const Rect& source, int width, int height,
                              bool keepDark) {
    if (!ValidRect(src, source)) return Error{"Bad source rectangle."};
    auto made = Bitmap::Create(width, height, src.bits());
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    out.palette() = src.palette();
    const int bits = src.bits();
    // Brightness of every palette entry; a darker entry wins when keepDark.
    std::vector<int> rank(src.palette().size());
    for (std::size_t i = 0; i < rank.size(); ++i) {
        const Rgbq& q = src.palette()[i];
        rank[i] = Luma(q.red, q.green, q.blue);
    }
    auto spans = [](int s, int d, int j, int* lo, int* hi) {
        *lo = static_cast<int>(std::int64_t{j} * s / d);
        *hi = std::max(*lo + 1, static_cast<int>((std::int64_t{j + 1} * s + d - 1) / d));
        if (s < d) *hi = *lo + 1; // enlarging: nearest
    };
    for (int y = 0; y < height; ++y) {
        int ylo = 0, yhi = 0;
        spans(source.height(), height, y, &ylo, &yhi);
        std::uint8_t* o = out.row(y);
        for (int x = 0; x < width; ++x) {
            int xlo = 0, xhi = 0;
            spans(source.width(), width, x, &xlo, &xhi);
            int bestRank = keepDark ? 1 << 30 : -1;
            const std::uint8_t* best = nullptr;
            std::uint32_t bestIndex = 0;
            for (int sy = source.top + ylo; sy < source.top + yhi; ++sy) {
                const std::uint8_t* in = src.row(sy);
                for (int sx = source.left + xlo; sx < source.left + xhi; ++sx) {
                    int r;
                    std::uint32_t idx = 0;
                    if (bits == 24) {
                        r = Luma(in[3 * sx + 2], in[3 * sx + 1], in[3 * sx]);
                    } else {
                        idx = GetIndex(in, sx, bits);
                        r = idx < rank.size() ? rank[idx] : 0;
                    }
                    if (keepDark ? r < bestRank : r > bestRank) {
                        bestRank = r;
                        best = in + 3 * sx;
                        bestIndex = idx;
                    }
                }
            }
            if (bits == 24)
                std::memcpy(o + 3 * x, best, 3);
            else
                SetIndex(o, x, bits, bestIndex);
        }
    }
    return out;
}

} // namespace core::imageman
