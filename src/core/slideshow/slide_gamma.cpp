#include "core/slideshow/slide_gamma.h"

#include "core/editing/color_lut.h"

namespace core::slideshow {

void ApplySlideGamma(Bitmap& picture, int gamma) {
    if (gamma == 100 || gamma < 1 || gamma > 500 || picture.empty()) return;
    editing::ColorLuts luts = editing::ColorLuts::Identity();
    for (int c = 0; c < 3; ++c)
        editing::SetGammaLUT(luts, gamma, c);
    if (picture.bits() == 24) {
        editing::ColorFilterBitmap(picture, luts);
        return;
    }
    for (Rgbq& e : picture.palette()) {
        e.red = luts.red[e.red];
        e.green = luts.green[e.green];
        e.blue = luts.blue[e.blue];
    }
}

} // namespace core::slideshow
