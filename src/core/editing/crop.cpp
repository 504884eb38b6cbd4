#include "core/editing/crop.h"

#include <algorithm>
#include <cstring>

namespace core::editing {

Result<Bitmap> CropPicture(const Bitmap& picture, int left, int top, int right, int bottom) {
    if (picture.empty()) return Error{"There is no picture."};
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    left = std::clamp(left, 0, picture.width());
    right = std::clamp(right, 0, picture.width());
    top = std::clamp(top, 0, picture.height());
    bottom = std::clamp(bottom, 0, picture.height());
    if (right == left || bottom == top) return Error{"The selection is empty."};
    const int bits =
        picture.bits() == 1 || picture.bits() == 4 || picture.bits() == 8 ? picture.bits() : 24;
    auto made = Bitmap::Create(right - left, bottom - top, bits);
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    if (bits <= 8) out.palette() = picture.palette();
    for (int y = 0; y < out.height(); ++y) {
        std::uint8_t* o = out.row(y);
        const std::uint8_t* in = picture.row(top + y);
        if (bits >= 8) {
            const int bpp = bits / 8;
            std::memcpy(o, in + static_cast<std::size_t>(left) * bpp,
                        static_cast<std::size_t>(out.width()) * bpp);
            continue;
        }
        for (int x = 0; x < out.width(); ++x) {
            const std::uint32_t v = picture.pixel(left + x, top + y);
            if (bits == 4)
                o[x / 2] = static_cast<std::uint8_t>(o[x / 2] | (v << ((x & 1) ? 0 : 4)));
            else
                o[x / 8] = static_cast<std::uint8_t>(o[x / 8] | (v << (7 - (x & 7))));
        }
    }
    return out;
}

} // namespace core::editing
