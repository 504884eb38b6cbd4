// Resampling to 24 bits: area averaging along an axis that shrinks, bicubic
// (Catmull-Rom) along an axis that grows. Separable, fixed point, threaded.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"
#include "core/imageman/imageman.h"

namespace core::imageman {

// The rectangle of src at width × height as a 24-bit picture (any source depth).
Result<Bitmap> Resample(const Bitmap& src, const Rect& source, int width, int height);

} // namespace core::imageman
