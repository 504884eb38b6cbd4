// The three colour look-up tables (red, green, blue) of the colour commands
// and of slides shown with a gamma, their builders, and applying them.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"

#include <array>
#include <cstdint>

namespace core::editing {

using Lut = std::array<std::uint8_t, 256>;

// Channel numbers: 0 red, 1 green, 2 blue. Red maps the third byte of each
// 24-bit pixel, green the second, blue the first.
struct ColorLuts {
    Lut red{}, green{}, blue{};
    Lut& channel(int c) { return c == 0 ? red : c == 1 ? green : blue; }
    // All three the identity.
    static ColorLuts Identity();
};

// Entry 0 is always 0; entries 1..255 follow the value.
// Gamma in 1/100 (1..500; 100 is the identity).
Lut GammaTable(int value);
// Brightness −127..127 (0 is the identity, −127 black, +127 doubles).
Lut BrightTable(int value);
// Contrast −127..127 (0 and −127 are the identity, +127 doubles the distance
// from the middle, −126 squeezes everything into 126..129).
Lut ContrastTable(int value);

void SetGammaLUT(ColorLuts& luts, int value, int channel);
void SetBrightLUT(ColorLuts& luts, int value, int channel);
void SetContrastLUT(ColorLuts& luts, int value, int channel);

// Applies the tables to every pixel of a 24-bit picture; other depths are
// left alone. Progress (if any) is reported from the calling thread.
void ColorFilterBitmap(Bitmap& picture, const ColorLuts& luts, const ProgressFn& progress = {});

// Raster inversion of every pixel: colours for 24 bits, palette indices for
// the indexed depths (the palette stays as it is).
void InvertPixels(Bitmap& picture);

} // namespace core::editing
