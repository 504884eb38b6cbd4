// Plain, literal implementations of the filters: byte loops over row
// buffers and a quicksort per pixel, exactly as the behaviour describes
// them. The fast paths in core/editing are held to these.
#pragma once

#include "core/common/bitmap.h"

#include <array>
#include <cstdint>

namespace reference {

void Spatial3x3(core::Bitmap& picture, const std::array<std::int16_t, 9>& kernel, int divisor);
void GaussianBlur3x3(core::Bitmap& picture, int threshold, bool leaveOneOut, int count);
void Median(core::Bitmap& picture, int strength);

// A random 24-bit picture.
core::Bitmap Noise(int width, int height, std::uint32_t seed);

} // namespace reference
