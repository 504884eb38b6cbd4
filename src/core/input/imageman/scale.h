// Scaling inside the imaging library: area averaging (every source pixel
// counts in proportion to the area it covers) and the plain copy.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"
#include "core/input/imageman/imageman.h"

namespace core::imageman {

// Area-averaged copy of `source` (a rectangle of src) at width × height, as a
// 24-bit picture, or as an 8-bit gray picture when toGray is set.
Result<Bitmap> AreaAverage(const Bitmap& src, const Rect& source, int width, int height,
                           bool toGray);

// Nearest-pixel copy that keeps the depth and palette.
Result<Bitmap> NearestCopy(const Bitmap& src, const Rect& source, int width, int height);

} // namespace core::imageman
