#include "core/output/save_depth.h"

#include <algorithm>
#include <unordered_map>

namespace core::output {

namespace {

void SetIndex(Bitmap& out, int x, int y, unsigned index) {
    std::uint8_t* row = out.row(y);
    switch (out.bits()) {
    case 1:
        if (index) row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        return;
    case 4:
        row[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? index : index << 4);
        return;
    default:
        row[x] = static_cast<std::uint8_t>(index);
    }
}

} // namespace

Result<Bitmap> ChangeDepthLossless(const Bitmap& picture, int bits) {
    if (picture.empty()) return Error{"There is no picture."};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return Fail("Depth %d is not 1, 4, 8 or 24 bits.", bits);
    const int w = picture.width(), h = picture.height();
    if (bits == picture.bits() && !picture.deviceDependent()) return picture;

    auto created = Bitmap::Create(w, h, bits);
    if (!created) return created.error();
    Bitmap out = std::move(created.value());
    if (bits == 24) {
        for (int y = 0; y < h; ++y) {
            std::uint8_t* row = out.row(y);
            for (int x = 0; x < w; ++x) {
                const std::uint32_t c = picture.rgb(x, y);
                row[3 * x] = static_cast<std::uint8_t>(c);
                row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
                row[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
            }
        }
        return out;
    }
    if (!picture.deviceDependent() && picture.bits() < bits) {
        // Promotion keeps the indexes and the palette.
        std::fill(out.palette().begin(), out.palette().end(), Rgbq{});
        std::copy_n(picture.palette().begin(),
                    std::min(picture.palette().size(), out.palette().size()),
                    out.palette().begin());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                SetIndex(out, x, y, picture.pixel(x, y));
        return out;
    }
    // Fewer bits: a palette of the colours used, in order of first use.
    const std::size_t room = std::size_t{1} << bits;
    std::unordered_map<std::uint32_t, unsigned> index;
    std::fill(out.palette().begin(), out.palette().end(), Rgbq{});
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = picture.rgb(x, y);
            auto it = index.find(c);
            if (it == index.end()) {
                if (index.size() == room)
                    return Fail("The picture has more than %zu colours: reducing it to %d bits "
                                "needs colour reduction.",
                                room, bits);
                const auto i = static_cast<unsigned>(index.size());
                out.palette()[i] =
                    Rgbq{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                         static_cast<std::uint8_t>(c >> 16), 0};
                it = index.emplace(c, i).first;
            }
            SetIndex(out, x, y, it->second);
        }
    }
    return out;
}

} // namespace core::output
