#include "core/editing/color_lut.h"

#include "core/editing/parallel_rows.h"

#include <cmath>

namespace core::editing {

namespace {

// Nearest integer, ties to even (the default rounding mode).
int Nearest(double x) {
    return static_cast<int>(std::nearbyint(x));
}

std::uint8_t ClampByte(int v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

} // namespace

ColorLuts ColorLuts::Identity() {
    ColorLuts l;
    for (int i = 0; i < 256; ++i)
        l.red[i] = l.green[i] = l.blue[i] = static_cast<std::uint8_t>(i);
    return l;
}

Lut GammaTable(int value) {
    Lut t{};
    if (value < 1) value = 1;
    // 255 × (i / 255)^(1 / g) with g = value / 100; the exponent is taken as
    // 100 / value so that it is the closest double to the exact ratio.
    const double exponent = 100.0 / value;
    for (int i = 1; i < 256; ++i)
        t[i] = ClampByte(Nearest(std::exp(std::log(i / 255.0) * exponent) * 255.0));
    return t;
}

Lut BrightTable(int value) {
    Lut t{};
    const int k = (value + 127) * 100 / 127;
    // i × k / 100: an exact integer over 100, so the double quotient rounds
    // exactly as the rational does (half-integers are representable).
    for (int i = 1; i < 256; ++i)
        t[i] = ClampByte(std::min(255, Nearest(i * k / 100.0)));
    return t;
}

Lut ContrastTable(int value) {
    Lut t{};
    const int k = value > 0 ? (value + 127) * 100 / 127 : std::abs(value) * 100 / 127;
    for (int x = 1; x < 256; ++x) {
        // Every x' is an integer numerator over 100.
        double xp;
        if (k >= 100) {
            const int d = k - 100;
            xp = x > 127 ? (100 * x + (x - 128) * d) / 100.0 : (100 * x - (127 - x) * d) / 100.0;
        } else {
            const int d = k;
            if (x > 127) {
                xp = (100 * x - (x - 128) * d) / 100.0;
                if (xp < 128) xp = 128;
            } else {
                xp = (100 * x + (127 - x) * d) / 100.0;
                if (xp > 128) xp = 128;
            }
        }
        if (xp > 255) xp = 255;
        if (xp < 0) xp = 0;
        t[x] = ClampByte(Nearest(xp));
    }
    return t;
}

void SetGammaLUT(ColorLuts& luts, int value, int channel) {
    luts.channel(channel) = GammaTable(value);
}
void SetBrightLUT(ColorLuts& luts, int value, int channel) {
    luts.channel(channel) = BrightTable(value);
}
void SetContrastLUT(ColorLuts& luts, int value, int channel) {
    luts.channel(channel) = ContrastTable(value);
}

void ColorFilterBitmap(Bitmap& picture, const ColorLuts& luts, const ProgressFn& progress) {
    if (picture.empty() || picture.bits() != 24) return;
    const int w = picture.width(), h = picture.height();
    ParallelRows(0, h, [&](int first, int last) {
        const bool report = first == 0 && progress;
        for (int y = first; y < last; ++y) {
            if (report) ReportProgress(progress, (y - first) * 100 / (last - first));
            std::uint8_t* p = picture.row(y);
            for (int x = 0; x < w; ++x, p += 3) {
                p[0] = luts.blue[p[0]];
                p[1] = luts.green[p[1]];
                p[2] = luts.red[p[2]];
            }
        }
    });
}

void InvertPixels(Bitmap& picture) {
    if (picture.empty()) return;
    const std::size_t used = (static_cast<std::size_t>(picture.width()) * picture.bits() + 7) / 8;
    // Only the pixels' own bits turn over; the padding keeps its zeros.
    const int spare =
        static_cast<int>(used * 8 - static_cast<std::size_t>(picture.width()) * picture.bits());
    const std::uint8_t lastMask = static_cast<std::uint8_t>(0xFF << spare);
    for (int y = 0; y < picture.height(); ++y) {
        std::uint8_t* r = picture.row(y);
        for (std::size_t i = 0; i < used; ++i)
            r[i] = static_cast<std::uint8_t>(~r[i]);
        r[used - 1] &= lastMask;
    }
}

} // namespace core::editing
