// Scaling inside the imaging library: area averaging (every source pixel
// counts in proportion to the area it covers) and the plain copy.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"
#include "core/imageman/imageman.h"

namespace core::imageman {

// Area-averaged copy of `source` (a rectangle of src) at width × height, as a
// 24-bit picture, or as an 8-bit gray picture when toGray is set.
Result<Bitmap> AreaAverage(const Bitmap& src, const Rect& source, int width, int height,
                           bool toGray);

// Nearest-pixel copy that keeps the depth and palette (copy mode Normal).
Result<Bitmap> NearestCopy(const Bitmap& src, const Rect& source, int width, int height);

// Copy modes Preserve Black and Preserve White: when shrinking, each target
// pixel takes the darkest (or lightest) source pixel it covers, so thin dark
// (or light) lines of line art survive; when enlarging, the nearest pixel.
// Keeps the depth and palette.
Result<Bitmap> PreservingCopy(const Bitmap& src, const Rect& source, int width, int height,
                              bool keepDark);

} // namespace core::imageman
