#include "core/slideshow/slide_fit.h"

#include "core/imageman/palette_search.h"
#include "core/imageman/reduce_colors.h"
#include "core/imageman/resample.h"
#include "core/imageman/scale.h"
#include "core/view/geometry.h"

#include <algorithm>

namespace core::slideshow {

namespace im = core::imageman;

Result<Bitmap> FitSlideIntoBox(Bitmap picture, int boxWidth, int boxHeight) {
    if (picture.empty() || (picture.width() <= boxWidth && picture.height() <= boxHeight))
        return picture;
    const auto fit = core::ScaleToFit(picture.width(), picture.height(), std::max(1, boxWidth),
                                      std::max(1, boxHeight));
    const int w = std::max(1, fit.width), h = std::max(1, fit.height);
    const im::Rect all{0, 0, picture.width(), picture.height()};
    if (picture.bits() < 4) return im::AreaAverage(picture, all, w, h, true);
    return im::Resample(picture, all, w, h);
}

const std::vector<Rgbq>& FixedShowPalette() {
    static const std::vector<Rgbq> palette = [] {
        std::vector<Rgbq> p(256);
        for (int b = 0; b < 6; ++b)
            for (int g = 0; g < 6; ++g)
                for (int r = 0; r < 6; ++r) {
                    Rgbq& e = p[static_cast<std::size_t>(r + 6 * g + 36 * b)];
                    e.red = static_cast<std::uint8_t>(51 * r);
                    e.green = static_cast<std::uint8_t>(51 * g);
                    e.blue = static_cast<std::uint8_t>(51 * b);
                }
        return p;
    }();
    return palette;
}

namespace {

// The entry of `palette` nearest to `c`.
Rgbq Nearest(const Rgbq& c, const std::vector<Rgbq>& palette) {
    const auto best =
        std::min_element(palette.begin(), palette.end(), [&](const Rgbq& a, const Rgbq& b) {
            return im::SquaredDistance(c.red, c.green, c.blue, a) <
                   im::SquaredDistance(c.red, c.green, c.blue, b);
        });
    return {best->blue, best->green, best->red, 0};
}

} // namespace

Result<DisplayMatch> MatchSlideToDisplay(Bitmap picture, int screenBits, int svgaPalette) {
    DisplayMatch out;
    if (screenBits != 8 || picture.empty()) {
        out.picture = std::move(picture);
        return out;
    }
    const bool fixed = svgaPalette == 1, vga = svgaPalette == 2;
    out.fillFirst = !fixed && !vga;
    if (picture.bits() > 8) {
        Result<Bitmap> made = fixed ? im::ReduceToPalette(picture, FixedShowPalette(), true)
                              : vga ? im::ReduceColors(picture, 16, im::kReduceFixed)
                                    : im::ReduceColors(picture, 256, im::kReduceOptimal);
        if (!made) return made.error();
        out.picture = std::move(made).value();
        return out;
    }
    // An indexed picture drawn without its own palette shows in the nearest
    // colours of the palette the display has realised.
    if (fixed || vga) {
        const std::vector<Rgbq> shown = fixed ? FixedShowPalette() : im::FixedPalette(16);
        for (Rgbq& e : picture.palette())
            e = Nearest(e, shown);
    }
    out.picture = std::move(picture);
    return out;
}

} // namespace core::slideshow
