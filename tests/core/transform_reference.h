// Plain reference implementations that the library's fast transforms are held
// to: straightforward floating point, no tables, no threads.
#pragma once

#include "core/common/bitmap.h"

#include <vector>

namespace reference {

// 24-bit bilinear rotation, counter-clockwise by angle/100 degrees, outside = fill.
core::Bitmap Rotate24(const core::Bitmap& src, int angle, int ow, int oh, core::Rgbq fill);
// 24-bit resampling: area averaging on shrinking axes, Catmull-Rom on growing ones.
core::Bitmap Resample24(const core::Bitmap& src, int width, int height);
// Index of the palette entry nearest to (r, g, b) by brute force; its squared distance.
int NearestDistance(const std::vector<core::Rgbq>& pal, int r, int g, int b);

} // namespace reference
