// Gamma correction of a picture in place: for 24-bit pictures the pixels, for
// indexed ones the palette.
#pragma once

#include "core/common/bitmap.h"

namespace core::imageman {

// gammaTenths 10 = 1.0 (no change); larger values brighten the mid-tones:
// v' = 255 · (v / 255)^(10 / gammaTenths). Values below 1 count as 1.
void GammaPicture(Bitmap& picture, int gammaTenths);

} // namespace core::imageman
