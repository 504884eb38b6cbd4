// A rectangle of the picture as a new picture of the same depth and palette
// (Trim and Copy Selection).
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

namespace core::editing {

// left and top inclusive, right and bottom one past the last pixel; the
// rectangle is normalised and kept inside the picture. Depths other than 1,
// 4 and 8 give a 24-bit copy.
Result<Bitmap> CropPicture(const Bitmap& picture, int left, int top, int right, int bottom);

} // namespace core::editing
