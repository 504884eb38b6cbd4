#include "core/imageman/mirror.h"

#include "core/imageman/pixels.h"

#include <algorithm>

namespace core::imageman {

void MirrorPicture(Bitmap& picture, bool vertical, bool horizontal) {
    const int w = picture.width(), h = picture.height(), bits = picture.bits();
    if (vertical)
        for (int y = 0; y < h / 2; ++y)
            std::swap_ranges(picture.row(y), picture.row(y) + picture.stride(),
                             picture.row(h - 1 - y));
    if (!horizontal) return;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* r = picture.row(y);
        if (bits == 24) {
            for (int a = 0, b = w - 1; a < b; ++a, --b)
                std::swap_ranges(r + 3 * a, r + 3 * a + 3, r + 3 * b);
        } else if (bits == 8) {
            std::reverse(r, r + w);
        } else {
            for (int a = 0, b = w - 1; a < b; ++a, --b) {
                const std::uint32_t va = GetIndex(r, a, bits), vb = GetIndex(r, b, bits);
                SetIndex(r, a, bits, vb);
                SetIndex(r, b, bits, va);
            }
        }
    }
}

} // namespace core::imageman
