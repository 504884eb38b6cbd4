#include "core/imageman/increase_colors.h"

#include "core/imageman/parallel.h"
#include "core/imageman/pixels.h"

namespace core::imageman {

Result<Bitmap> IncreaseColors(const Bitmap& src, int bits) {
    if (src.empty()) return Error{"No picture."};
    if (bits < src.bits() || (bits != 4 && bits != 8 && bits != 24))
        return Fail("Cannot increase %d-bit colours to %d bits.", src.bits(), bits);
    auto made = Bitmap::Create(src.width(), src.height(), bits);
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    if (bits == 24) {
        ParallelRows(src.height(), [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y)
                ExpandRowBGR(src, y, out.row(y));
        });
        return out;
    }
    out.palette() = src.palette();
    out.palette().resize(std::size_t{1} << bits);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            SetIndex(out.row(y), x, bits, GetIndex(src.row(y), x, src.bits()));
    return out;
}

} // namespace core::imageman
