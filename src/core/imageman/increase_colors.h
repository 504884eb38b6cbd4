// Raising the colour depth: the same colours at 4, 8 or 24 bits per pixel.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

namespace core::imageman {

// bits must not be below the picture's depth. Indexed targets keep the
// palette (padded with black to the new size); 24 bits takes the colours.
Result<Bitmap> IncreaseColors(const Bitmap& src, int bits);

} // namespace core::imageman
