#include "core/imageman/gamma.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace core::imageman {

void GammaPicture(Bitmap& picture, int gammaTenths) {
    const double g = std::max(1, gammaTenths) / 10.0;
    std::array<std::uint8_t, 256> lut{};
    for (int v = 0; v < 256; ++v)
        lut[static_cast<std::size_t>(v)] =
            static_cast<std::uint8_t>(std::lround(255.0 * std::pow(v / 255.0, 1.0 / g)));
    if (picture.bits() <= 8) {
        for (Rgbq& q : picture.palette()) {
            q.blue = lut[q.blue];
            q.green = lut[q.green];
            q.red = lut[q.red];
        }
        return;
    }
    for (int y = 0; y < picture.height(); ++y) {
        std::uint8_t* r = picture.row(y);
        for (int i = 0; i < 3 * picture.width(); ++i)
            r[i] = lut[r[i]];
    }
}

} // namespace core::imageman
