// The 3 × 3 convolution engine and the kernels of the sharpen and smooth
// commands.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"

#include <array>
#include <cstdint>

namespace core::editing {

// Nine weights, row by row (top-left first), and their sum as the divisor.
struct Kernel3x3 {
    std::array<std::int16_t, 9> weights{};
    int divisor = 1;
};

// A symmetric kernel from corner, edge-neighbour and centre weights.
Kernel3x3 MakeKernel(int corner, int edge, int centre);

Kernel3x3 MeanRemovalKernel(int strength);    // 1..8
Kernel3x3 HighPassMediumKernel(int strength); // 1..4
Kernel3x3 HighPassLightKernel(int strength);  // 1..4
Kernel3x3 SoftenKernel(int strength);         // 1..10
Kernel3x3 DefocusKernel(int amount);          // 0..254 (255 − the slider's strength)

// Convolves a 24-bit picture in place: rows 1 .. height − 3, bytes 3 ..
// width × 3 − 4 of each; sums divided by the divisor truncating toward zero,
// then clamped to 0..255. The first row, the last two rows and the first and
// last columns keep their values; pictures of 3 rows or fewer are unchanged.
// Other depths and a zero divisor leave the picture alone.
void Spatial3x3(Bitmap& picture, const Kernel3x3& kernel, const ProgressFn& progress = {});

} // namespace core::editing
