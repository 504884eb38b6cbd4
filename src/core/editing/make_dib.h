// The picture made device-independent at a given depth (24, 8 or 4 bits),
// as every editing command does before it touches the pixels.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

namespace core::editing {

// Clears the device-dependent mark and converts the pixels to `bits` (1, 4,
// 8 or 24) when they differ: upwards the colours (or indices) are kept
// exactly; downwards each colour becomes the nearest entry of the standard
// palette of that depth (the 16 VGA colours; a 6 × 6 × 6 cube with a gray
// ramp for 256; black and white for 1 bit).
Status ConvertToDib(Bitmap& picture, int bits);

// The standard palettes used when a picture is taken down to a depth.
std::vector<Rgbq> StandardPalette(int bits);

} // namespace core::editing
