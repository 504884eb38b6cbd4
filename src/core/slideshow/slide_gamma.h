// A script slide's gamma on the loaded picture: through the gamma table on
// 24-bit rows, and on the palette of an indexed picture (gray and 8-bit
// slides get it too).
#pragma once

#include "core/common/bitmap.h"

namespace core::slideshow {

// Gamma in percent; 100 (and anything outside 1..500) leaves the picture as it is.
void ApplySlideGamma(Bitmap& picture, int gamma);

} // namespace core::slideshow
