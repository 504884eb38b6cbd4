#include "core/imageman/transition_renderer.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace core::imageman {

namespace {

// Does the new picture enter at the band's high end (from Right or Bottom)?
bool EntersHigh(int direction) {
    return direction == 0 || direction == 2;
}

Rect Union(const Rect& a, const Rect& b) {
    if (a.width() <= 0 || a.height() <= 0) return b;
    if (b.width() <= 0 || b.height() <= 0) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// 0 .. k - 1 from 64 random bits, exactly Trunc(k * u).
std::uint64_t Below(std::mt19937_64& rng, std::uint64_t k) {
    return static_cast<std::uint64_t>((static_cast<unsigned __int128>(rng()) * k) >> 64);
}

// The three channels of a pixel spread into lanes of 21 bits, so that one
// 64-bit addition sums all three: a box of up to 8224 pixels fits. Sums are
// linear, so a window's sum is exact even where a running total borrows from
// or carries into a neighbouring lane on the way.
constexpr int kLaneBits = 21;
constexpr std::uint64_t kLaneMask = (1u << kLaneBits) - 1;

inline std::uint64_t Spread(std::uint32_t p) {
    return (p & 0xFF) | std::uint64_t(p & 0xFF00) << (kLaneBits - 8) |
           std::uint64_t(p & 0xFF0000) << (2 * kLaneBits - 16);
}

} // namespace

bool InsideShape(int option, int width, int height, long long size, long long steps, int x, int y) {
    using Wide = __int128;
    if (size <= 0) return false;
    // Pixel centres relative to the target's centre, in half pixels.
    const long long px = std::llabs(2LL * x + 1 - width), py = std::llabs(2LL * y + 1 - height);
    const long long w = width, h = height, n = std::max(steps, 1LL);
    switch (option) {
    case 5: {
        // Half-extents 0.55 of the sides, corners rounded by a quarter of the
        // shorter one; everything in units of 1 / (80 n) pixel.
        const Wide x2 = Wide(40) * n * px, y2 = Wide(40) * n * py;
        const Wide a = Wide(44) * size * w, b = Wide(44) * size * h;
        const Wide rho = Wide(11) * size * std::min(w, h);
        if (x2 >= a || y2 >= b) return false;
        const Wide dx = x2 - (a - rho), dy = y2 - (b - rho);
        if (dx <= 0 || dy <= 0) return true;
        return dx * dx + dy * dy < rho * rho;
    }
    case 6: // half-extents the sides over root 2: the ellipse through the corners
        return (Wide(px) * px * h * h + Wide(py) * py * w * w) * n * n <
               Wide(2) * size * size * w * w * h * h;
    default: // half-extents half the sides
        return px * n < size * w && py * n < size * h;
    }
}

std::vector<std::uint32_t> BlockOrder(const FxParams& p, const FxGeometry& g) {
    const std::uint64_t count = static_cast<std::uint64_t>(g.tilesX) * g.tilesY;
    std::vector<std::uint32_t> order(count);
    for (std::uint64_t i = 0; i < count; ++i)
        order[i] = static_cast<std::uint32_t>(i);
    std::mt19937_64 rng(p.seed);
    if (g.family == Family::Tiles) {
        // A ragged sweep from the start edge: the distance in blocks plus up
        // to three blocks of random lag.
        const int direction = std::clamp(p.effect - 10, 0, 3);
        std::vector<std::uint64_t> key(count);
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint64_t cx = i % g.tilesX, cy = i / g.tilesX;
            const std::uint64_t dist = direction == 0   ? g.tilesX - 1 - cx
                                       : direction == 1 ? cx
                                       : direction == 2 ? g.tilesY - 1 - cy
                                                        : cy;
            key[i] = (dist << 32) + 3 * (rng() >> 32);
        }
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return key[a] != key[b] ? key[a] < key[b] : a < b;
        });
    } else {
        for (std::uint64_t i = count; i > 1; --i)
            std::swap(order[i - 1], order[Below(rng, i)]);
    }
    return order;
}

TransitionRenderer::TransitionRenderer(const FxParams& p, Frame32View oldSnapshot,
                                       Frame32View newPicture)
    : params_(p), old_(oldSnapshot), new_(newPicture),
      width_(std::min(oldSnapshot.width, newPicture.width)),
      height_(std::min(oldSnapshot.height, newPicture.height)) {
    geometry_ = GeometryOf(p, width_, height_);
    mode_ = (p.option >= 0 && p.option <= 3) ? p.option : 3;
    switch (geometry_.family) {
    case Family::Wipe:
    case Family::Curtains:
    case Family::Blinds:
        // A state's runs cover each x once at most.
        if (!geometry_.vertical) picks_.reserve(width_);
        break;
    case Family::Mosaic:
    case Family::Tiles:
        order_ = BlockOrder(p, geometry_);
        break;
    case Family::BlurIntro:
        spreadNew_.resize(static_cast<std::size_t>(width_) * height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                spreadNew_[static_cast<std::size_t>(y) * width_ + x] = Spread(new_.row(y)[x]);
        blurRows_.resize(static_cast<std::size_t>(width_) * (2 * geometry_.blurRadius + 2));
        columnSums_.resize(static_cast<std::size_t>(width_));
        averages_.resize(255 * (2 * static_cast<std::size_t>(geometry_.blurRadius) + 1) + 1);
        break;
    case Family::Shape:
        spanStart_.resize(height_);
        for (int y = 0; y < height_; ++y)
            spanStart_[y] = ShapeSpanStart(0, y);
        break;
    default:
        geometry_.family = Family::None;
        geometry_.steps = 1;
        break; // not drawn yet
    }
}

Rect TransitionRenderer::Render(int step, Frame32View target) {
    step = std::clamp(step, 0, geometry_.steps);
    Rect changed;
    if (width_ <= 0 || height_ <= 0 || target.width < width_ || target.height < height_)
        return changed;
    switch (geometry_.family) {
    case Family::Wipe:
    case Family::Curtains:
    case Family::Blinds:
        changed = RenderBands(step, target);
        break;
    case Family::Mosaic:
    case Family::Tiles:
        changed = RenderBlocks(step, target);
        break;
    case Family::BlurIntro:
        changed = RenderBlur(step, target);
        break;
    case Family::Shape:
        changed = RenderShape(step, target);
        break;
    default:
        changed = RenderWhole(step >= geometry_.steps ? new_ : old_, target);
        break;
    }
    lastStep_ = step;
    return changed;
}

Rect TransitionRenderer::RenderWhole(const Frame32View& from, Frame32View target) {
    for (int y = 0; y < height_; ++y)
        std::memcpy(target.row(y), from.row(y), sizeof(std::uint32_t) * width_);
    return {0, 0, width_, height_};
}

// The runs that make `step` along the motion, band by band. With the target
// holding `prevStep` (lower), parts that stay as they are are left out.
void TransitionRenderer::BandRuns(int step, int prevStep, std::vector<Run>& runs) const {
    const FxGeometry& g = geometry_;
    const int e = g.extent;
    const bool incremental = prevStep <= step;
    const bool newMoves = mode_ == 0 || mode_ == 2;
    const bool oldMoves = mode_ == 0 || mode_ == 1;
    auto band = [&](int a, int b, bool high, int o, int oPrev) {
        const int len = b - a;
        if (high) {
            // New over [b - o, b), old over [a, b - o).
            if (!newMoves && incremental) {
                if (o > oPrev) runs.push_back({b - o, o - oPrev, true, b - o});
            } else if (o > 0) {
                runs.push_back({b - o, o, true, newMoves ? a : b - o});
            }
            if ((oldMoves || !incremental) && len - o > 0)
                runs.push_back({a, len - o, false, oldMoves ? a + o : a});
        } else {
            // New over [a, a + o), old over [a + o, b).
            if (!newMoves && incremental) {
                if (o > oPrev) runs.push_back({a + oPrev, o - oPrev, true, a + oPrev});
            } else if (o > 0) {
                runs.push_back({a, o, true, newMoves ? b - o : a});
            }
            if ((oldMoves || !incremental) && len - o > 0)
                runs.push_back({a + o, len - o, false, oldMoves ? a : a + o});
        }
    };
    auto offset = [](int len, long long k, int per) {
        return static_cast<int>(std::min<long long>(len, k * per));
    };
    if (g.family == Family::Wipe) {
        const bool high = EntersHigh(params_.effect - 1);
        band(0, e, high, offset(e, step, g.lo), offset(e, prevStep, g.lo));
    } else if (g.family == Family::Curtains) {
        // "out" opens from the centre line, "in" closes towards it.
        const bool out = params_.effect == 5 || params_.effect == 7;
        const int c = e / 2;
        band(0, c, out, offset(c, step, g.lo), offset(c, prevStep, g.lo));
        band(c, e, !out, offset(e - c, step, g.lo), offset(e - c, prevStep, g.lo));
    } else {
        const bool high = EntersHigh(params_.effect - 18);
        for (int a = 0; a < e; a += g.band) {
            const int b = std::min(a + g.band, e);
            band(a, b, high, offset(b - a, step, g.lo), offset(b - a, prevStep, g.lo));
        }
    }
}

Rect TransitionRenderer::RenderBands(int step, Frame32View target) {
    runs_.clear();
    BandRuns(step, lastStep_, runs_);
    Rect changed;
    constexpr std::size_t px = sizeof(std::uint32_t);
    if (geometry_.vertical) {
        for (const Run& r : runs_) {
            const Frame32View& from = r.fromNew ? new_ : old_;
            for (int i = 0; i < r.len; ++i)
                std::memcpy(target.row(r.dst + i), from.row(r.src + i), px * width_);
            changed = Union(changed, {0, r.dst, width_, r.dst + r.len});
        }
    } else {
        std::size_t covered = 0;
        for (const Run& r : runs_)
            covered += static_cast<std::size_t>(r.len);
        if (runs_.size() * kShortRun > covered) {
            // Narrow bands: a copy call per run of a pixel or two costs far
            // more than the copying, so every row follows one table of picks.
            picks_.clear();
            for (const Run& r : runs_)
                for (int i = 0; i < r.len; ++i)
                    picks_.push_back({r.dst + i, 2 * (r.src + i) + (r.fromNew ? 1 : 0)});
            for (int y = 0; y < height_; ++y) {
                std::uint32_t* out = target.row(y);
                const std::uint32_t* from[2] = {old_.row(y), new_.row(y)};
                for (const Pick& k : picks_)
                    out[k.dst] = from[k.src & 1][k.src >> 1];
            }
        } else {
            for (int y = 0; y < height_; ++y) {
                std::uint32_t* out = target.row(y);
                const std::uint32_t* o = old_.row(y);
                const std::uint32_t* n = new_.row(y);
                for (const Run& r : runs_)
                    std::memcpy(out + r.dst, (r.fromNew ? n : o) + r.src, px * r.len);
            }
        }
        for (const Run& r : runs_)
            changed = Union(changed, {r.dst, 0, r.dst + r.len, height_});
    }
    return changed;
}

Rect TransitionRenderer::RenderBlocks(int step, Frame32View target) {
    const FxGeometry& g = geometry_;
    const std::uint64_t count = order_.size();
    auto shown = [&](int k) {
        return static_cast<std::uint64_t>(
            (static_cast<unsigned __int128>(count) * k + g.steps - 1) / g.steps);
    };
    std::uint64_t from = 0;
    Rect changed;
    if (step >= lastStep_) {
        from = shown(lastStep_);
    } else {
        changed = RenderWhole(old_, target);
    }
    const std::uint64_t to = shown(step);
    for (std::uint64_t i = from; i < to; ++i) {
        const std::uint32_t block = order_[i];
        const int x0 = static_cast<int>(block % g.tilesX) * g.tileW;
        const int y0 = static_cast<int>(block / g.tilesX) * g.tileH;
        const int x1 = std::min(x0 + g.tileW, width_), y1 = std::min(y0 + g.tileH, height_);
        for (int y = y0; y < y1; ++y)
            std::memcpy(target.row(y) + x0, new_.row(y) + x0, sizeof(std::uint32_t) * (x1 - x0));
        changed = Union(changed, {x0, y0, x1, y1});
    }
    return changed;
}

// The new picture blurred by a box of radius R0 - k * grain, sharpening to
// itself: a horizontal then a vertical pass of running sums, edge pixels
// repeated, each pass rounded to whole channel values.
Rect TransitionRenderer::RenderBlur(int step, Frame32View target) {
    if (step == lastStep_ && step > 0) return {};
    if (step == 0) return RenderWhole(old_, target);
    const long long r64 = std::max<long long>(0, geometry_.blurRadius - 1LL * step * geometry_.lo);
    // Past what a lane holds (a target over 98,000 pixels on its short side): sharp.
    if (r64 == 0 || 255 * (2 * r64 + 1) > static_cast<long long>(kLaneMask))
        return RenderWhole(new_, target);
    const int r = static_cast<int>(r64);
    const std::uint32_t size = 2 * r + 1, half = size / 2;
    const int w = width_, h = height_;
    // Rounded averages by table: a division per channel would cost more than the rest.
    for (std::uint32_t sum = 0; sum <= 255 * size; ++sum)
        averages_[sum] = static_cast<std::uint8_t>((sum + half) / size);
    const std::uint8_t* avg = averages_.data();
    auto pack = [avg](std::uint64_t sums) {
        return std::uint32_t(avg[sums >> (2 * kLaneBits)]) << 16 |
               std::uint32_t(avg[(sums >> kLaneBits) & kLaneMask]) << 8 | avg[sums & kLaneMask];
    };
    // The horizontal pass keeps its averages spread for the vertical one.
    auto packSpread = [avg](std::uint64_t sums) {
        return std::uint64_t(avg[sums >> (2 * kLaneBits)]) << (2 * kLaneBits) |
               std::uint64_t(avg[(sums >> kLaneBits) & kLaneMask]) << kLaneBits |
               avg[sums & kLaneMask];
    };
    // The horizontal pass runs a row ahead of the vertical one, into a ring
    // of the 2r + 2 rows the vertical window needs, which stays in cache.
    const int ringRows = 2 * r + 2;
    auto horizontal = [&](int y) {
        const std::uint64_t* in = &spreadNew_[static_cast<std::size_t>(y) * w];
        std::uint64_t* out = &blurRows_[static_cast<std::size_t>(y % ringRows) * w];
        std::uint64_t sums = (r + 1) * in[0];
        for (int i = 1; i <= r; ++i)
            sums += in[std::min(i, w - 1)];
        int x = 0;
        for (; x < std::min(r, w); ++x) {
            out[x] = packSpread(sums);
            sums += in[std::min(x + r + 1, w - 1)] - in[0];
        }
        // Inside the row the window's ends need no clamping.
        for (const int plainEnd = std::max(x, w - r - 1); x < plainEnd; ++x) {
            out[x] = packSpread(sums);
            sums += in[x + r + 1] - in[x - r];
        }
        for (; x < w; ++x) {
            out[x] = packSpread(sums);
            sums += in[w - 1] - in[std::max(x - r, 0)];
        }
    };
    int done = 0; // rows of the horizontal pass made so far
    auto source = [&](int y) {
        y = std::clamp(y, 0, h - 1);
        while (done <= y)
            horizontal(done++);
        return &blurRows_[static_cast<std::size_t>(y % ringRows) * w];
    };
    // Vertical pass with one running sum per column.
    std::uint64_t* sums = columnSums_.data();
    const std::uint64_t* first = source(0);
    for (int x = 0; x < w; ++x)
        sums[x] = (r + 1) * first[x];
    for (int i = 1; i <= r; ++i) {
        const std::uint64_t* row = source(i);
        for (int x = 0; x < w; ++x)
            sums[x] += row[x];
    }
    for (int y = 0; y < h; ++y) {
        std::uint32_t* out = target.row(y);
        // The entering row first: making it reuses the slot of a row already left.
        const std::uint64_t* enter = source(y + r + 1);
        const std::uint64_t* leave = source(y - r);
        for (int x = 0; x < w; ++x) {
            out[x] = pack(sums[x]);
            sums[x] += enter[x] - leave[x];
        }
    }
    return {0, 0, w, h};
}

// Where the shape's span of row y begins at `step`: explode shows the new
// picture over [start, width - start), implode the old one. Shapes are convex
// and symmetric, so each row's inside part is one centred span.
int TransitionRenderer::ShapeSpanStart(int step, int y) const {
    const int n = geometry_.steps;
    const bool explode = params_.effect == 17;
    const int none = (width_ + 1) / 2;
    if (step >= n) return explode ? 0 : none; // the new picture exactly
    const long long size = explode ? step : n - step;
    const int option = (params_.option >= 4 && params_.option <= 6) ? params_.option : 4;
    int lo = 0, hi = none; // the first inside x lies in [lo, hi]
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (InsideShape(option, width_, height_, size, n, mid, y))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

Rect TransitionRenderer::RenderShape(int step, Frame32View target) {
    const bool explode = params_.effect == 17;
    const bool incremental = step >= lastStep_;
    constexpr std::size_t px = sizeof(std::uint32_t);
    const int w = width_;
    Rect changed;
    auto copy = [&](int y, int x0, int x1, const Frame32View& from) {
        if (x1 <= x0) return;
        std::memcpy(target.row(y) + x0, from.row(y) + x0, px * (x1 - x0));
        changed = Union(changed, {x0, y, x1, y + 1});
    };
    for (int y = 0; y < height_; ++y) {
        const int start = ShapeSpanStart(step, y);
        const Frame32View& inside = explode ? new_ : old_;
        const Frame32View& outside = explode ? old_ : new_;
        if (!incremental) {
            copy(y, 0, start, outside);
            copy(y, start, w - start, inside);
            copy(y, std::max(start, w - start), w, outside);
        } else {
            // Explode's span only grows, implode's only shrinks; both reveal new.
            const int prev = spanStart_[y];
            const int a = std::min(start, prev), b = std::max(start, prev);
            copy(y, a, b, new_);
            copy(y, std::max(w - b, b), std::max(w - a, b), new_);
        }
        spanStart_[y] = start;
    }
    return changed;
}

} // namespace core::imageman
