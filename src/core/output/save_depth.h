// Changing a picture's depth before it is written, where no colour is lost:
// promotion to more bits (the palette carries over), and a smaller depth when
// the picture uses no more colours than the depth holds. Anything else needs
// colour reduction and is refused here.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

namespace core::output {

// bits: 1, 4, 8 or 24. A device-dependent picture comes back device-independent.
Result<Bitmap> ChangeDepthLossless(const Bitmap& picture, int bits);

} // namespace core::output
