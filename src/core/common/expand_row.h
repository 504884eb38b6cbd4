// One picture row of any depth as three bytes a pixel, for writers and
// encoders that take only true colour.
#pragma once

#include "core/common/bitmap.h"

#include <cstdint>

namespace core {

// Row y as blue, green, red (the picture's own 24-bit order); palette indexes
// past the palette's end are black.
void ExpandRowToBgr(const Bitmap& picture, int y, std::uint8_t* out);

// Row y as red, green, blue.
void ExpandRowToRgb(const Bitmap& picture, int y, std::uint8_t* out);

} // namespace core
