#include "cli/edit_options.h"

#include "core/editing/color_lut.h"
#include "core/editing/effect_modes.h"
#include "core/editing/make_dib.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace cli {

namespace {

using namespace core::editing;

struct EditOption {
    const char* name;
    int mode;
    bool threeValues;
};

constexpr EditOption kOptions[] = {
    {"--gamma", kModeGamma, false},
    {"--gamma-rgb", kModeGammaRgb, true},
    {"--brightness", kModeBrightness, false},
    {"--brightness-rgb", kModeBrightnessRgb, true},
    {"--contrast", kModeContrast, false},
    {"--contrast-rgb", kModeContrastRgb, true},
    {"--mean-removal", kModeMeanRemoval, false},
    {"--highpass-medium", kModeHighPassMedium, false},
    {"--highpass-light", kModeHighPassLight, false},
    {"--soften", kModeSoften, false},
    {"--defocus", kModeDefocus, false},
    {"--gaussian", kModeGaussian, false},
    {"--outlier", kModeOutlier, false},
    {"--despeckle", kModeDespeckle, false},
};

bool ParseNumber(const char* text, int lo, int hi, int* out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

} // namespace

EditParse ParseEditOption(int argc, char** argv, int& i, std::vector<EditStep>& steps) {
    const std::string a = argv[i];
    if (a == "--negative") {
        steps.push_back(EditStep{});
        return EditParse::Taken;
    }
    for (const EditOption& o : kOptions) {
        if (a != o.name) continue;
        if (i + 1 >= argc) {
            std::fprintf(stderr, "vistrel-cli: %s needs a value\n", o.name);
            return EditParse::Bad;
        }
        const std::string text = argv[++i];
        const EffectRange r = RangeOfMode(o.mode);
        EditStep step;
        step.mode = o.mode;
        bool good = true;
        if (o.threeValues) {
            std::size_t start = 0;
            for (int c = 0; c < 3 && good; ++c) {
                const std::size_t comma = text.find(',', start);
                const bool last = c == 2;
                if (last != (comma == std::string::npos)) good = false;
                const std::string part =
                    text.substr(start, last ? std::string::npos : comma - start);
                good = good && ParseNumber(part.c_str(), r.minimum, r.maximum, &step.values[c]);
                start = comma + 1;
            }
        } else {
            good = ParseNumber(text.c_str(), r.minimum, r.maximum, &step.values[0]);
        }
        if (!good) {
            std::fprintf(stderr, "vistrel-cli: %s takes %s%d..%d, not '%s'\n", o.name,
                         o.threeValues ? "three values R,G,B each " : "", r.minimum, r.maximum,
                         text.c_str());
            return EditParse::Bad;
        }
        steps.push_back(step);
        return EditParse::Taken;
    }
    return EditParse::NotEdit;
}

core::Status ApplyEdits(core::Bitmap& picture, const std::vector<EditStep>& steps) {
    for (const EditStep& s : steps) {
        if (s.mode == 0) {
            InvertPixels(picture);
            continue;
        }
        if (auto st = ConvertToDib(picture, 24); !st) return st;
        ApplyEffect(picture, s.mode, s.values[0], s.values[1], s.values[2]);
    }
    return core::Ok();
}

void PrintEditUsage(std::FILE* to) {
    std::fputs(
        "edits for convert, applied in the order given (values as the dialogs take them):\n"
        "  --gamma V (1..500, 1/100)   --gamma-rgb R,G,B\n"
        "  --brightness V (-127..127)  --brightness-rgb R,G,B\n"
        "  --contrast V (-127..127)    --contrast-rgb R,G,B   --negative\n"
        "  --mean-removal S (1..8)     --highpass-medium S (1..4)  --highpass-light S (1..4)\n"
        "  --soften S (1..10)          --defocus S (1..255)        --gaussian S (1..255)\n"
        "  --outlier S (1..255)        --despeckle S (1..9)\n",
        to);
}

} // namespace cli
