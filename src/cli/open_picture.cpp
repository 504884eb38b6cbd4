#include "cli/open_picture.h"

#include "core/app/settings.h"
#include "core/common/paths.h"
#include "core/input/jpeg_decoder.h"

#include <cstdio>

namespace cli {

// Opens a file through the pipeline; prints why on failure.
std::optional<Opened> OpenPicture(const std::string& path, const OpenOptions& o) {
    core::SettingsRecord defaults;
    core::OpenEnvironment env;
    env.ScreenBits = 24;
    env.AutoReduce = defaults.AutoReduce != 0;
    env.FaxQuality = o.faxQuality;
    env.PhotoCdStep = o.pcdStep;
    env.JpegPalette = defaults.JpegPalette;
    env.UseScreen = defaults.UseScreen != 0;
    env.FitToWindow = o.decodeBox.has_value();
    if (o.decodeBox) {
        env.clientWidth = o.decodeBox->first;
        env.clientHeight = o.decodeBox->second;
    }
    env.background = 0xFFFFFF;

    core::JpegDecoder jpeg;
    core::OpenPipeline pipeline(jpeg);
    Opened out;
    out.doc.CurrentFile = path;
    out.doc.PreviousFile = "";
    const core::ProbeResult probe = pipeline.ProbeFile(out.doc, env);
    if (probe.result == 2) {
        std::fprintf(stderr, "vistrel-cli: %s is a media clip, not a picture\n", path.c_str());
        return std::nullopt;
    }
    if (probe.result < 0) {
        std::string why = probe.text;
        if (why.empty()) {
            why = core::UpperExtension(path).empty() ? "the file has no picture extension"
                                                     : "not a picture this program reads";
        }
        for (char& c : why)
            if (c == '\n') c = ' ';
        std::fprintf(stderr, "vistrel-cli: cannot open %s: %s\n", path.c_str(), why.c_str());
        return std::nullopt;
    }
    if (o.page > out.doc.PageCount) {
        std::fprintf(stderr, "vistrel-cli: %s has %d page%s\n", path.c_str(), out.doc.PageCount,
                     out.doc.PageCount == 1 ? "" : "s");
        return std::nullopt;
    }
    auto decoded = pipeline.OpenImage(out.doc, env, {});
    if (decoded && o.page > 1) {
        out.doc.CurrentFile = path;
        decoded = pipeline.DecodePage(out.doc, env, o.page - 1, {});
    }
    if (!decoded) {
        std::fprintf(stderr, "vistrel-cli: cannot open %s: %s\n", path.c_str(),
                     decoded.message().c_str());
        return std::nullopt;
    }
    out.decoded = std::move(decoded).value();
    return out;
}

} // namespace cli
