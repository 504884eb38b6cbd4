// The operations of the effect dialog's modes, shared by the dialog's Test
// (on the visible part), the menu commands (on the whole picture) and
// vistrel-cli. The strength is the dialog's value; the mappings the commands
// apply (255 − s for Defocus, Gaussian and Outlier) happen in here.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/editing/color_lut.h"

namespace core::editing {

enum EffectMode : int {
    kModeOutlier = 1,
    kModeSoften = 3,
    kModeDespeckle = 4,
    kModeGaussian = 30,
    kModeDefocus = 31,
    kModeMeanRemoval = 32,
    kModeHighPassMedium = 33,
    kModeHighPassLight = 34,
    kModeGammaRgb = 100,
    kModeGamma = 101,
    kModeBrightnessRgb = 110,
    kModeBrightness = 111,
    kModeContrastRgb = 120,
    kModeContrast = 121,
    kModeJpegWizard = 999,
};

// The slider range of a mode's dialog.
struct EffectRange {
    int minimum = 0, maximum = 0;
};
EffectRange RangeOfMode(int mode);
bool IsColourMode(int mode);     // 100..121
bool IsPerChannelMode(int mode); // 100, 110, 120

// The three tables for a colour mode from the red, green and blue values.
ColorLuts LutsForMode(int mode, int red, int green, int blue);

// Runs a filter mode with the strength, or a colour mode with the three
// channel values (the all-alike modes use `red` for all), on a 24-bit
// picture. Unknown modes do nothing.
void ApplyEffect(Bitmap& picture, int mode, int red, int green = 0, int blue = 0,
                 const ProgressFn& progress = {});

} // namespace core::editing
