#include "core/imageman/rotate.h"

#include "core/imageman/parallel.h"
#include "core/imageman/pixels.h"

#include <cmath>
#include <cstring>

namespace core::imageman {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTile = 64; // output rows and columns done together

int Normalise(int a) {
    a %= 36000;
    return a < 0 ? a + 36000 : a;
}

Result<Bitmap> QuarterTurn(const Bitmap& src, int angle) {
    const int w = src.width(), h = src.height(), bits = src.bits();
    const bool swap = angle != 18000;
    auto made = Bitmap::Create(swap ? h : w, swap ? w : h, bits);
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    out.palette() = src.palette();
    const int ow = out.width(), oh = out.height();
    // Where output pixel (ox, oy) comes from.
    auto source = [&](int ox, int oy, int* sx, int* sy) {
        if (angle == 9000) { // a quarter turn to the left
            *sx = w - 1 - oy;
            *sy = ox;
        } else if (angle == 27000) {
            *sx = oy;
            *sy = h - 1 - ox;
        } else {
            *sx = w - 1 - ox;
            *sy = h - 1 - oy;
        }
    };
    // In tiles, so that the source columns read stay in the cache.
    ParallelRows(
        oh,
        [&](int y0, int y1) {
            for (int tx = 0; tx < ow; tx += kTile)
                for (int oy = y0; oy < y1; ++oy) {
                    std::uint8_t* o = out.row(oy);
                    int sx = 0, sy = 0;
                    for (int ox = tx; ox < std::min(ow, tx + kTile); ++ox) {
                        source(ox, oy, &sx, &sy);
                        if (bits == 24)
                            std::memcpy(o + 3 * ox, src.row(sy) + 3 * sx, 3);
                        else
                            SetIndex(o, ox, bits, GetIndex(src.row(sy), sx, bits));
                    }
                }
        },
        kTile);
    return out;
}

std::uint32_t NearestEntry(const std::vector<Rgbq>& pal, Rgbq c) {
    std::uint32_t best = 0;
    long bestD = -1;
    for (std::size_t i = 0; i < pal.size(); ++i) {
        const long db = pal[i].blue - c.blue, dg = pal[i].green - c.green, dr = pal[i].red - c.red;
        const long d = db * db + dg * dg + dr * dr;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = static_cast<std::uint32_t>(i);
        }
    }
    return best;
}

} // namespace

void RotatedSize(int w, int h, int angleHundredths, int* outW, int* outH) {
    const int a = Normalise(angleHundredths);
    if (a == 0 || a == 18000) {
        *outW = w;
        *outH = h;
        return;
    }
    if (a == 9000 || a == 27000) {
        *outW = h;
        *outH = w;
        return;
    }
    const double t = a * kPi / 18000.0;
    const double c = std::fabs(std::cos(t)), s = std::fabs(std::sin(t));
    // A hair of tolerance so that sizes that are whole in exact arithmetic stay whole.
    *outW = std::max(1, static_cast<int>(std::ceil(w * c + h * s - 1e-6)));
    *outH = std::max(1, static_cast<int>(std::ceil(w * s + h * c - 1e-6)));
}

Result<Bitmap> RotatePicture(const Bitmap& src, int angleHundredths, Rgbq fill) {
    if (src.empty()) return Error{"No picture."};
    const int angle = Normalise(angleHundredths);
    if (angle == 0) return Bitmap(src);
    if (angle % 9000 == 0) return QuarterTurn(src, angle);
    return RotateAnyAngle(src, angle, fill);
}

Result<Bitmap> RotateAnyAngle(const Bitmap& src, int angleHundredths, Rgbq fill) {
    if (src.empty()) return Error{"No picture."};
    const int angle = Normalise(angleHundredths);
    const int w = src.width(), h = src.height(), bits = src.bits();
    int ow = 0, oh = 0;
    RotatedSize(w, h, angle, &ow, &oh);
    auto made = Bitmap::Create(ow, oh, bits);
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    out.palette() = src.palette();

    // Output pixel centre (ox, oy) relative to the output centre, turned back
    // by the angle, lands on source position (sx, sy) in pixel-index units:
    // sx = cx + dx·cos − dy·sin, sy = cy + dx·sin + dy·cos (y pointing down).
    const double t = angle * kPi / 18000.0;
    const double cs = std::cos(t), sn = std::sin(t);
    const double cx = w / 2.0 - 0.5, cy = h / 2.0 - 0.5;
    const double ocx = ow / 2.0 - 0.5, ocy = oh / 2.0 - 0.5;
    constexpr double kOne = 4294967296.0; // 32.32 fixed point
    const auto stepX = static_cast<std::int64_t>(std::llround(cs * kOne));
    const auto stepY = static_cast<std::int64_t>(std::llround(sn * kOne));

    if (bits == 24) {
        const std::uint8_t fb = fill.blue, fg = fill.green, fr = fill.red;
        ParallelRows(
            oh,
            [&](int y0, int y1) {
                // Bands of kTile rows walked in kTile-wide tiles keep the source
                // lines a tile reads in the cache.
                for (int tx = 0; tx < ow; tx += kTile)
                    for (int oy = y0; oy < y1; ++oy) {
                        const double dy = oy - ocy, dx = -ocx;
                        // +1 keeps positions just left of/above the picture non-negative for the
                        // shift.
                        std::int64_t fx =
                            std::llround((cx + dx * cs - dy * sn + 1.0) * kOne) + tx * stepX;
                        std::int64_t fy =
                            std::llround((cy + dx * sn + dy * cs + 1.0) * kOne) + tx * stepY;
                        std::uint8_t* o = out.row(oy) + 3 * tx;
                        const int txEnd = std::min(ow, tx + kTile);
                        for (int ox = tx; ox < txEnd; ++ox, fx += stepX, fy += stepY, o += 3) {
                            if (fx < 0 || fy < 0) {
                                o[0] = fb, o[1] = fg, o[2] = fr;
                                continue;
                            }
                            const int xi = static_cast<int>(fx >> 32) - 1,
                                      yi = static_cast<int>(fy >> 32) - 1;
                            const unsigned ax = static_cast<unsigned>(fx >> 24) & 0xFF;
                            const unsigned ay = static_cast<unsigned>(fy >> 24) & 0xFF;
                            if (xi >= 0 && yi >= 0 && xi + 1 < w && yi + 1 < h) {
                                const std::uint8_t* p = src.row(yi) + 3 * xi;
                                const std::uint8_t* q = src.row(yi + 1) + 3 * xi;
                                for (int c = 0; c < 3; ++c) {
                                    const unsigned top = p[c] * (256 - ax) + p[c + 3] * ax;
                                    const unsigned bot = q[c] * (256 - ax) + q[c + 3] * ax;
                                    o[c] = static_cast<std::uint8_t>(
                                        (top * (256 - ay) + bot * ay + 32768) >> 16);
                                }
                                continue;
                            }
                            if (xi < -1 || yi < -1 || xi >= w || yi >= h) {
                                o[0] = fb, o[1] = fg, o[2] = fr;
                                continue;
                            }
                            // On the edge: neighbours outside the picture count as the
                            // fill, which softens the border like the inside.
                            const std::uint8_t fc[3] = {fb, fg, fr};
                            auto at = [&](int x, int y, int c) -> unsigned {
                                return (x < 0 || y < 0 || x >= w || y >= h) ? fc[c]
                                                                            : src.row(y)[3 * x + c];
                            };
                            for (int c = 0; c < 3; ++c) {
                                const unsigned top =
                                    at(xi, yi, c) * (256 - ax) + at(xi + 1, yi, c) * ax;
                                const unsigned bot =
                                    at(xi, yi + 1, c) * (256 - ax) + at(xi + 1, yi + 1, c) * ax;
                                o[c] = static_cast<std::uint8_t>(
                                    (top * (256 - ay) + bot * ay + 32768) >> 16);
                            }
                        }
                    }
            },
            kTile);
        return out;
    }

    const std::uint32_t fillIndex = NearestEntry(src.palette(), fill);
    ParallelRows(oh, [&](int y0, int y1) {
        for (int oy = y0; oy < y1; ++oy) {
            const double dy = oy - ocy, dx = -ocx;
            // Offset by half a pixel (and by one to stay positive) so the shift rounds.
            std::int64_t fx = std::llround((cx + dx * cs - dy * sn + 1.5) * kOne);
            std::int64_t fy = std::llround((cy + dx * sn + dy * cs + 1.5) * kOne);
            std::uint8_t* o = out.row(oy);
            for (int ox = 0; ox < ow; ++ox, fx += stepX, fy += stepY) {
                const int xi = fx < 0 ? -1 : static_cast<int>(fx >> 32) - 1;
                const int yi = fy < 0 ? -1 : static_cast<int>(fy >> 32) - 1;
                const bool inside = xi >= 0 && yi >= 0 && xi < w && yi < h;
                SetIndex(o, ox, bits, inside ? GetIndex(src.row(yi), xi, bits) : fillIndex);
            }
        }
    });
    return out;
}

} // namespace core::imageman
