// One Test of the JPEG compression wizard, without widgets: smooth a copy of
// the picture as the settings ask, compress it, decode it back, and the
// texts of the dialog's status bar.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"
#include "core/output/jpeg_encoder.h"
#include "core/output/save_rules.h"

#include <functional>
#include <string>
#include <vector>

namespace core::output {

// Runs the Parametric (1) or Gaussian (2) smoothing on the picture with the
// strength 1..255. Standard smoothing (0) is the encoder's own.
using WizardSmoothing = std::function<void(Bitmap& picture, int method, int strength)>;

struct WizardOutcome {
    std::vector<std::uint8_t> jpeg; // the JPEG file, byte for byte
    Bitmap decoded;                 // what it decodes to, 24 bits
    std::string fileSizeText;       // "File size: n bytes"
    std::string ratioText;          // "Compression ratio: q.d to 1"
};

// The encoder settings of a wizard Test: the scale at most 512, the Standard
// strength as libjpeg's smoothing factor (capped at 100 by the encoder).
JpegSettings WizardJpegSettings(const WizardSettings& s);

// A strength of 0 smooths nothing of any kind.
Result<WizardOutcome> RunWizardTest(const Bitmap& picture, const WizardSettings& settings,
                                    const WizardSmoothing& smoothing);

} // namespace core::output
