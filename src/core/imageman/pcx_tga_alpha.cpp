#include "core/imageman/pcx_tga_alpha.h"

#include "core/common/decode_options.h"
#include "core/common/memory.h"

namespace core::imageman {

Result<AlphaPlane> AlphaPlane::Create(int width, int height) {
    if (auto st = CheckPictureSize(width, height, 8); !st) return st.error();
    AlphaPlane plane;
    plane.width_ = width;
    plane.height_ = height;
    plane.values_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return plane;
}

Result<std::optional<AlphaPlane>> AlphaPlane::CreateIf(bool wanted, int width, int height) {
    if (!wanted) return std::optional<AlphaPlane>{};
    auto plane = Create(width, height);
    if (!plane) return plane.error();
    return std::optional<AlphaPlane>{std::move(plane.value())};
}

void AlphaPlane::compositeOver(Bitmap& picture, std::uint32_t background) const {
    if (!any_ || picture.bits() != 24) return;
    const unsigned bgBlue = background & 0xFF;
    const unsigned bgGreen = (background >> 8) & 0xFF;
    const unsigned bgRed = (background >> 16) & 0xFF;
    const std::uint8_t* a = values_.data();
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = picture.row(y);
        for (int x = 0; x < width_; ++x, p += 3, ++a) {
            if (*a == 255) continue;
            p[0] = BlendOver(p[0], *a, bgBlue);
            p[1] = BlendOver(p[1], *a, bgGreen);
            p[2] = BlendOver(p[2], *a, bgRed);
        }
    }
}

} // namespace core::imageman
