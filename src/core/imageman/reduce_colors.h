// Colour reduction inside the imaging library. The modes:
//   1  black and white by a threshold at 50 % luminance
//   2  black and white by ordered dither (Bayer 8 × 8)
//   4  an adaptive palette of our own (median cut, see median_cut.h) with
//      Floyd–Steinberg error diffusion; for 2 colours error-diffused black and white
//   8  gray shades (256: the luminance itself; 16 or 2: error-diffused levels)
//   20 a fixed palette, nearest colour, no dithering
//   36 the same fixed palette with Floyd–Steinberg error diffusion
// The fixed palettes: 256 colours = the 6 × 6 × 6 cube plus the 40 grays
// between its 6 grays; 16 = the standard VGA colours; 2 = black and white.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/common/result.h"

#include <vector>

namespace core::imageman {

inline constexpr int kReduceThreshold = 1;
inline constexpr int kReduceOrdered = 2;
inline constexpr int kReduceOptimal = 4;
inline constexpr int kReduceGray = 8;
inline constexpr int kReduceFixed = 20;
inline constexpr int kReduceFixedDiffused = 36;

// The fixed palette for 2, 16 or 256 colours (empty for other counts).
std::vector<Rgbq> FixedPalette(int colors);

// colors is 2, 16 or 256 (1, 4 or 8 bits out; modes 1 and 2 always give 1 bit).
Result<Bitmap> ReduceColors(const Bitmap& src, int colors, int mode,
                            const ProgressFn& progress = {});

// Maps the picture onto the given palette (1 to 256 entries), nearest colour,
// with or without error diffusion. The depth is the smallest that holds it.
Result<Bitmap> ReduceToPalette(const Bitmap& src, const std::vector<Rgbq>& palette, bool diffuse,
                               const ProgressFn& progress = {});

} // namespace core::imageman
