#include "core/input/jpeg_cmyk.h"

namespace core::jpeg {

namespace {
// a × b / 255, rounded.
inline std::uint8_t Mul255(unsigned a, unsigned b) {
    const unsigned t = a * b + 128;
    return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}
} // namespace

void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
    // Inverted samples already are the amounts of light left: red = (255 − C)(255 − K) / 255.
    const unsigned flip = inverted ? 0 : 255;
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned k = cmyk[3] ^ flip;
        bgr[0] = Mul255(cmyk[2] ^ flip, k);
        bgr[1] = Mul255(cmyk[1] ^ flip, k);
        bgr[2] = Mul255(cmyk[0] ^ flip, k);
    }
}

std::uint32_t CmykToRgb(unsigned c, unsigned m, unsigned y, unsigned k, bool inverted) {
    const std::uint8_t in[4] = {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(m),
                                static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(k)};
    std::uint8_t out[3];
    CmykRowToBgr(in, out, 1, inverted);
    return (std::uint32_t{out[2]} << 16) | (std::uint32_t{out[1]} << 8) | out[0];
}

} // namespace core::jpeg
