// The alpha channel of a 24-bit picture being decoded (32-bit PCX and TGA,
// gray + alpha TGA): kept beside the picture and composited over the
// background colour once the whole picture is known. A channel that is zero
// everywhere means the writer left it unused, and the picture stays opaque.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace core::imageman {

class AlphaPlane {
  public:
    // Checks the memory guard for one byte a pixel first.
    static Result<AlphaPlane> Create(int width, int height);
    // A plane when the picture has alpha (`wanted`), none otherwise.
    static Result<std::optional<AlphaPlane>> CreateIf(bool wanted, int width, int height);

    void set(int x, int y, std::uint8_t alpha) {
        values_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                static_cast<std::size_t>(x)] = alpha;
        any_ |= alpha;
    }

    // Blends every pixel of the 24-bit picture over background (0x00RRGGBB),
    // unless no pixel had any alpha.
    void compositeOver(Bitmap& picture, std::uint32_t background) const;

    // The end of a decode: the picture with the plane, if any, composited.
    static Bitmap Finish(Bitmap picture, const std::optional<AlphaPlane>& alpha,
                         std::uint32_t background) {
        if (alpha) alpha->compositeOver(picture, background);
        return picture;
    }

  private:
    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> values_;
    std::uint8_t any_ = 0;
};

} // namespace core::imageman
