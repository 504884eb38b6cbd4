// The shaped median of the Despeckle command.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"

#include <vector>

namespace core::editing {

struct MedianShape {
    int size = 3;                           // N: 3, 5 or 7
    std::vector<std::pair<int, int>> cells; // (dy, dx) under the mask, −a..a
};

// The window of strength 1..9: plus, square, plus of arms 2, diamond 2,
// plus of arms 3 with the centre square, 5 × 5, diamond 3, 7 × 7 less three
// cells at each corner, 7 × 7. The cell count is always odd.
MedianShape MedianShapeFor(int strength);

// Every byte of a 24-bit picture becomes the median of the same channel under
// the mask. Rows outside the picture repeat the edge rows; byte positions
// outside a row are held at its first or last byte (so at the left and right
// edges the repeated sample may be another channel of the edge pixel).
void Median(Bitmap& picture, int strength, const ProgressFn& progress = {});

} // namespace core::editing
