#include "core/editing/effect_modes.h"

#include "core/editing/convolution.h"
#include "core/editing/median.h"
#include "core/editing/threshold_mean.h"

namespace core::editing {

EffectRange RangeOfMode(int mode) {
    switch (mode) {
    case kModeOutlier:
    case kModeGaussian:
    case kModeDefocus:
        return {1, 255};
    case kModeSoften:
        return {1, 10};
    case kModeDespeckle:
        return {1, 9};
    case kModeMeanRemoval:
        return {1, 8};
    case kModeHighPassMedium:
    case kModeHighPassLight:
        return {1, 4};
    case kModeGamma:
    case kModeGammaRgb:
        return {1, 500};
    case kModeBrightness:
    case kModeBrightnessRgb:
    case kModeContrast:
    case kModeContrastRgb:
        return {-127, 127};
    default:
        return {0, 0};
    }
}

bool IsColourMode(int mode) {
    return mode >= 100 && mode <= 121;
}
bool IsPerChannelMode(int mode) {
    return mode == 100 || mode == 110 || mode == 120;
}

ColorLuts LutsForMode(int mode, int red, int green, int blue) {
    if (!IsPerChannelMode(mode)) green = blue = red;
    const int values[3] = {red, green, blue};
    ColorLuts luts;
    for (int c = 0; c < 3; ++c) {
        if (mode == kModeGamma || mode == kModeGammaRgb)
            SetGammaLUT(luts, values[c], c);
        else if (mode == kModeBrightness || mode == kModeBrightnessRgb)
            SetBrightLUT(luts, values[c], c);
        else
            SetContrastLUT(luts, values[c], c);
    }
    return luts;
}

void ApplyEffect(Bitmap& picture, int mode, int red, int green, int blue,
                 const ProgressFn& progress) {
    const int s = red;
    switch (mode) {
    case kModeOutlier:
        GaussianBlur3x3(picture, 255 - s, true, 8, progress);
        break;
    case kModeGaussian:
        GaussianBlur3x3(picture, 255 - s, false, 9, progress);
        break;
    case kModeDespeckle:
        Median(picture, s, progress);
        break;
    case kModeSoften:
        Spatial3x3(picture, SoftenKernel(s), progress);
        break;
    case kModeDefocus:
        Spatial3x3(picture, DefocusKernel(255 - s), progress);
        break;
    case kModeMeanRemoval:
        Spatial3x3(picture, MeanRemovalKernel(s), progress);
        break;
    case kModeHighPassMedium:
        Spatial3x3(picture, HighPassMediumKernel(s), progress);
        break;
    case kModeHighPassLight:
        Spatial3x3(picture, HighPassLightKernel(s), progress);
        break;
    default:
        if (IsColourMode(mode))
            ColorFilterBitmap(picture, LutsForMode(mode, red, green, blue), progress);
        break;
    }
}

} // namespace core::editing
