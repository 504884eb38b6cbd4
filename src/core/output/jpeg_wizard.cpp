#include "core/output/jpeg_wizard.h"

#include "core/input/jpeg_decoder.h"
#include "core/output/save_depth.h"

#include <algorithm>

namespace core::output {

JpegSettings WizardJpegSettings(const WizardSettings& s) {
    JpegSettings j;
    j.subsample = s.subsample;
    j.optimize = s.optimize;
    j.highAccuracy = s.highAccuracy;
    j.progressive = s.progressive;
    j.scale = std::clamp(s.scale, 1, 512);
    j.smoothing = s.smoothingMethod == 0 ? s.smoothing : 0;
    return j;
}

Result<WizardOutcome> RunWizardTest(const Bitmap& picture, const WizardSettings& settings,
                                    const WizardSmoothing& smoothing) {
    auto copy = ChangeDepthLossless(picture, 24);
    if (!copy) return copy.error();
    Bitmap work = std::move(copy.value());
    if (settings.smoothing != 0 && settings.smoothingMethod != 0 && smoothing)
        smoothing(work, settings.smoothingMethod, settings.smoothing);

    auto jpeg = CompressJPEG(work, WizardJpegSettings(settings));
    if (!jpeg) return jpeg.error();
    WizardOutcome out;
    out.jpeg = std::move(jpeg.value());

    JpegDecoder decoder;
    decoder.LoadBytes(out.jpeg);
    decoder.setSpeed(false);
    auto decoded = decoder.Decode(kDitherNone, {});
    if (!decoded) return decoded.error();
    out.decoded = std::move(decoded.value());

    const std::uint64_t raw = std::uint64_t(picture.width()) * picture.height() * 3;
    out.fileSizeText = "File size: " + std::to_string(out.jpeg.size()) + " bytes";
    out.ratioText = "Compression ratio: " + CompressionRatioText(raw, out.jpeg.size());
    return out;
}

} // namespace core::output
