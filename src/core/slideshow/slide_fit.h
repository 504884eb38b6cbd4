// A slide made ready for the screen: shrunk into the box the way the show
// copies pictures, and, on an 8-bit display, brought onto the colours the
// chosen palette handling allows.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

#include <vector>

namespace core::slideshow {

// Shrinks a picture larger than the box to fit it, keeping its proportions.
// Pictures of fewer than 4 bits are averaged to gray (thin lines of line art
// stay visible), deeper ones resampled to 24 bits. A picture that fits comes
// back as it is.
Result<Bitmap> FitSlideIntoBox(Bitmap picture, int boxWidth, int boxHeight);

// The fixed show palette of an 8-bit display: entries 0..215 the 6 × 6 × 6
// cube of the levels 0, 51, …, 255 (entry = r + 6g + 36b, red fastest), the
// rest black.
const std::vector<Rgbq>& FixedShowPalette();

// Palette handling for an 8-bit display by the SVGA palette setting:
// 0 optimal (pictures deeper than 8 bits reduced to 256 optimal colours),
// 1 fixed (every picture mapped onto FixedShowPalette with diffusion),
// 2 VGA (16 colours of the fixed palette). Other displays keep the picture.
struct DisplayMatch {
    Bitmap picture;
    bool fillFirst = false; // the client area is filled before the draw
};
Result<DisplayMatch> MatchSlideToDisplay(Bitmap picture, int screenBits, int svgaPalette);

} // namespace core::slideshow
