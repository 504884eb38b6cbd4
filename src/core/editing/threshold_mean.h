// The thresholded 3 × 3 mean of the Gaussian and Outlier commands.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"

namespace core::editing {

// For each byte of rows 1 .. height − 3 and positions 3 .. width × 3 − 4 of a
// 24-bit picture: the mean (sum div count, at most 255) of the same channel
// over the 3 × 3 neighbourhood, leaving out the pixel below the centre when
// leaveOneOut is set; the byte becomes the mean when it differs from it by
// more than threshold. The border keeps its values.
void GaussianBlur3x3(Bitmap& picture, int threshold, bool leaveOneOut, int count,
                     const ProgressFn& progress = {});

} // namespace core::editing
