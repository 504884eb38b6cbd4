// CMYK and YCCK JPEGs: libjpeg hands out CMYK samples and we make blue, green,
// red of them. Files with an Adobe marker store every ink inverted.
#pragma once

#include <cstdint>

namespace core::jpeg {

// One row of `width` CMYK pixels (4 bytes each) to blue, green, red.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted);

// One CMYK colour to 0x00RRGGBB.
std::uint32_t CmykToRgb(unsigned c, unsigned m, unsigned y, unsigned k, bool inverted);

} // namespace core::jpeg
