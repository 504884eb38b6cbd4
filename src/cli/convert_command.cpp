#include "cli/convert_command.h"

#include "core/imagelib/imagelib.h"
#include "core/output/jpeg_encoder.h"
#include "core/output/save_depth.h"
#include "core/output/save_rules.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cli {

namespace {

bool ParseNumber(const char* text, int lo, int hi, int* out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

void Complain(const std::string& what) {
    std::fprintf(stderr, "vistrel-cli: %s\n", what.c_str());
}

} // namespace

int ParseOutputOption(int argc, char** argv, int* i, OutputOptions* o) {
    const std::string a = argv[*i];
    auto number = [&](int lo, int hi, int* out) {
        if (*i + 1 >= argc) {
            Complain(a + " needs a value");
            return -1;
        }
        const char* v = argv[++*i];
        if (!ParseNumber(v, lo, hi, out)) {
            std::fprintf(stderr, "vistrel-cli: %s must be %d to %d, not '%s'\n", a.c_str(), lo, hi,
                         v);
            return -1;
        }
        return 1;
    };
    if (a == "--jpeg-compression") return number(1, 100, &o->jpegCompression);
    if (a == "--scale") return number(1, 5000, &o->scale);
    if (a == "--smoothing") return number(0, 255, &o->smoothing);
    if (a == "--depth") {
        if (number(1, 24, &o->depth) < 0) return -1;
        if (o->depth != 1 && o->depth != 4 && o->depth != 8 && o->depth != 24) {
            Complain("--depth must be 1, 4, 8 or 24");
            return -1;
        }
        return 1;
    }
    if (a == "--jpeg-gray") return o->jpegGray = true, 1;
    if (a == "--progressive") return o->progressive = true, 1;
    if (a == "--subsample") return o->subsample = true, 1;
    if (a == "--no-optimize") return o->optimize = false, 1;
    if (a == "--no-float") return o->highAccuracy = false, 1;
    return 0;
}

bool WritableExtension(const std::string& path) {
    return core::output::SaveTypeForExtension(path).has_value();
}

int WriteConverted(const std::string& out, const core::Bitmap& decoded, const OutputOptions& o) {
    using namespace core::output;
    const auto type = SaveTypeForExtension(out);
    if (!type) {
        Complain("cannot write '" + out +
                 "' (use .bmp, .dib, .pcx, .tif, .tiff, .png, .jpg or .jpeg)");
        return 2;
    }
    // The depth asked for first; a device-dependent picture is written as the
    // device-independent picture it shows.
    core::Bitmap converted;
    const core::Bitmap* picture = &decoded;
    const int depth = o.depth ? o.depth : decoded.bits();
    if (o.depth || decoded.deviceDependent()) {
        auto changed = ChangeDepthLossless(decoded, depth);
        if (!changed) {
            Complain(changed.message());
            return 1;
        }
        converted = std::move(changed.value());
        picture = &converted;
    }
    int rc = 1;
    switch (*type) {
    case kSaveBmp:
        rc = core::imagelib::WriteBMP(out, *picture);
        break;
    case kSavePcx:
        rc = core::imagelib::WritePCX(out, *picture);
        break;
    case kSaveTiff:
        rc = core::imagelib::WriteTIFF(out, *picture);
        break;
    case kSavePng:
        rc = core::imagelib::WritePNG(out, *picture, o.progressive);
        break;
    default: {
        // As Save As writes it: no subsampling, optimised, float DCT.
        JpegSettings s;
        s.scale = LinearScaleFromCompression(o.jpegCompression);
        s.gray = o.jpegGray;
        s.progressive = o.progressive;
        if (auto st = SaveJPEG(out, *picture, s); !st) {
            Complain(st.message());
            return 1;
        }
        return 0;
    }
    }
    if (rc < 0) {
        Complain(core::imagelib::LastError());
        return 1;
    }
    return 0;
}

int WriteWizardJpeg(const std::string& out, const core::Bitmap& picture, const OutputOptions& o) {
    core::output::JpegSettings s;
    s.scale = o.scale < 0 ? 48 : o.scale;
    s.subsample = o.subsample;
    s.optimize = o.optimize;
    s.highAccuracy = o.highAccuracy;
    s.smoothing = o.smoothing; // capped at 100 by the encoder
    s.progressive = o.progressive;
    s.gray = o.jpegGray;
    if (auto st = core::output::SaveJPEG(out, picture, s); !st) {
        Complain(st.message());
        return 1;
    }
    return 0;
}

} // namespace cli
