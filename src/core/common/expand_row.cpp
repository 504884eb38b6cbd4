#include "core/common/expand_row.h"

#include <cstddef>

namespace core {

namespace {

// Red and Blue: where red and blue go in each output pixel.
template <int Red, int Blue> void ExpandRow(const Bitmap& picture, int y, std::uint8_t* out) {
    const int w = picture.width();
    if (picture.bits() == 24) {
        const std::uint8_t* row = picture.row(y);
        for (int x = 0; x < w; ++x, row += 3, out += 3) {
            out[Blue] = row[0];
            out[1] = row[1];
            out[Red] = row[2];
        }
        return;
    }
    for (int x = 0; x < w; ++x, out += 3) {
        const std::uint32_t c = picture.rgb(x, y);
        out[Red] = static_cast<std::uint8_t>(c >> 16);
        out[1] = static_cast<std::uint8_t>(c >> 8);
        out[Blue] = static_cast<std::uint8_t>(c);
    }
}

} // namespace

void ExpandRowToBgr(const Bitmap& picture, int y, std::uint8_t* out) {
    ExpandRow<2, 0>(picture, y, out);
}

void ExpandRowToRgb(const Bitmap& picture, int y, std::uint8_t* out) {
    ExpandRow<0, 2>(picture, y, out);
}

} // namespace core
