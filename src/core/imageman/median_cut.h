// The adaptive ("optimal") palette of our own: a variance-splitting median cut
// over a 6-bit-per-channel histogram, refined by a few k-means rounds.
#pragma once

#include "core/common/bitmap.h"

#include <vector>

namespace core::imageman {

// At most `colors` entries (fewer when the picture has fewer colours).
std::vector<Rgbq> OptimalPalette(const Bitmap& src, int colors);

} // namespace core::imageman
