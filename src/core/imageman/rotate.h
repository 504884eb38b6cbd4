// Rotation by any angle. The angle is in hundredths of a degree,
// counter-clockwise as seen on the screen; the canvas grows to hold the whole
// turned picture and the corners take the fill colour.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

namespace core::imageman {

// Quarter turns are exact at any depth. Other angles: bilinear on 24-bit
// pictures; nearest pixel on indexed ones so the palette stays valid, the
// fill being the palette entry nearest to the fill colour.
Result<Bitmap> RotatePicture(const Bitmap& src, int angleHundredths, Rgbq fill);

// The any-angle path alone, which RotatePicture takes for all but the quarter
// turns; at a quarter turn it lands on pixel centres and gives the exact turn.
Result<Bitmap> RotateAnyAngle(const Bitmap& src, int angleHundredths, Rgbq fill);

// The size of the canvas that holds a w × h picture turned by the angle.
void RotatedSize(int w, int h, int angleHundredths, int* outW, int* outH);

} // namespace core::imageman
