// Flipping a picture in place, top to bottom and/or left to right.
#pragma once

#include "core/common/bitmap.h"

namespace core::imageman {

void MirrorPicture(Bitmap& picture, bool vertical, bool horizontal);

} // namespace core::imageman
