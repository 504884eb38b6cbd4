// The picture-level steps of the Image and Colors commands, shared by the
// window and vistrel-cli: each hands the picture to the imaging library, lets
// it compute the new picture and returns it. The picture is taken by value:
// callers that keep theirs until the new one exists pass a copy, others move
// it in and save the copy of a large picture.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/common/result.h"

namespace core {

Result<Bitmap> FlipPicture(Bitmap picture, bool vertical);
// Turns clockwise by angle / 100 degrees (1..35999); the canvas grows, white fill.
Result<Bitmap> RotateClockwise(Bitmap picture, int angle);
// Copy modes 0 Normal, 1 Preserve Black, 2 Preserve White.
Result<Bitmap> ResizePicture(Bitmap picture, int width, int height, int copyMode);
// The copy mode the resize dialog starts with for a depth.
inline int DefaultCopyMode(int bits) {
    return bits < 2 ? 1 : 0;
}

// Resample: pictures of 7 bits or fewer are resized (default copy mode);
// otherwise made 24-bit and area averaged or bicubic-enlarged. A width or
// height of 15 or less is refused: `skipped` is set and the picture returned.
Result<Bitmap> ResamplePicture(Bitmap picture, int width, int height, bool* skipped);

// Promote to 4, 8 or 24 bits (anything else counts as 24); same colours.
Result<Bitmap> PromotePicture(Bitmap picture, int target);

// Colour reduction of the Colors menu. kind 8, 4 or 1 with the method chosen
// in the dialog (0 "Regular" .. highest "Optimal"), kind 0 = gray shades.
struct ReduceChoice {
    int colors = 0;
    int mode = 0;          // the library's mode
    bool imageLib = false; // 256 colours, method 3: the codec library's reduction
};
// The highest method of a kind (3 for 256 colours, else 2); -1 for gray (no dialog).
int HighestReduceMethod(int kind);
// Colours and mode for a kind, method and present depth; nullopt-like
// colors 0 for an invalid combination.
ReduceChoice ChooseReduction(int kind, int method, int pictureBits);
Result<Bitmap> ReducePicture(Bitmap picture, const ReduceChoice& choice,
                             const ProgressFn& progress = {});

// The picture as the library is handed it: device-independent, and a picture
// held deeper than its own depth (device-dependent on a true-colour screen)
// back at that depth with its exact colours when they fit; otherwise as held.
Bitmap PictureAtDepth(const Bitmap& held, int pictureBits);

} // namespace core
