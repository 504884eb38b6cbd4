#include "cli/transform_options.h"

#include "core/editing/transform_ops.h"

#include <cstdlib>
#include <string>
#include <utility>

namespace cli {

namespace {

bool ParseInt(const char* text, int lo, int hi, int* out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

} // namespace

TransformParse ParseTransformOption(int argc, char** argv, int& i,
                                    std::vector<TransformStep>& steps) {
    const std::string a = argv[i];
    auto value = [&](const char* name) -> const char* {
        if (i + 1 >= argc) {
            std::fprintf(stderr, "vistrel-cli: %s needs a value\n", name);
            return nullptr;
        }
        return argv[++i];
    };
    if (a == "--flip-h" || a == "--flip-v" || a == "--gray") {
        steps.push_back({a == "--gray"     ? TransformStep::Gray
                         : a == "--flip-h" ? TransformStep::FlipH
                                           : TransformStep::FlipV});
        return TransformParse::Taken;
    } else if (a == "--rotate") {
        const char* v = value("--rotate");
        TransformStep st{TransformStep::Rotate};
        if (!v || !ParseInt(v, 1, 35999, &st.a)) {
            if (v) std::fprintf(stderr, "vistrel-cli: the angle must be 1 to 35999\n");
            return TransformParse::Bad;
        }
        steps.push_back(st);
        return TransformParse::Taken;
    } else if (a == "--resize" || a == "--resample") {
        const char* v = value(a.c_str());
        if (!v) return TransformParse::Bad;
        TransformStep st{a == "--resize" ? TransformStep::Resize : TransformStep::Resample};
        char x = 0, colon = 0, extra = 0;
        const int n = std::sscanf(v, "%d%c%d%c%d%c", &st.a, &x, &st.b, &colon, &st.c, &extra);
        const bool modeOk = n == 3 || (n == 5 && colon == ':' && st.kind == TransformStep::Resize);
        if (!modeOk || (x != 'x' && x != 'X') || st.a < 1 || st.a > 16384 || st.b < 1 ||
            st.b > 16384 || (n == 5 && (st.c < 0 || st.c > 2))) {
            std::fprintf(stderr, "vistrel-cli: bad size '%s' (WxH, 1..16384%s)\n", v,
                         st.kind == TransformStep::Resize ? ", :MODE 0..2" : "");
            return TransformParse::Bad;
        }
        if (n == 3) st.c = -1;
        steps.push_back(st);
        return TransformParse::Taken;
    } else if (a == "--promote") {
        const char* v = value("--promote");
        TransformStep st{TransformStep::Promote};
        if (!v || !ParseInt(v, 4, 24, &st.a) || (st.a != 4 && st.a != 8 && st.a != 24)) {
            if (v) std::fprintf(stderr, "vistrel-cli: --promote takes 4, 8 or 24\n");
            return TransformParse::Bad;
        }
        steps.push_back(st);
        return TransformParse::Taken;
    } else if (a == "--reduce") {
        const char* v = value("--reduce");
        if (!v) return TransformParse::Bad;
        TransformStep st{TransformStep::Reduce};
        char colon = 0, extra = 0;
        const int n = std::sscanf(v, "%d%c%d%c", &st.a, &colon, &st.b, &extra);
        const int kind = st.a == 256 ? 8 : st.a == 16 ? 4 : st.a == 2 ? 1 : -1;
        if (n == 1) st.b = core::HighestReduceMethod(kind);
        if (kind < 0 || (n != 1 && (n != 3 || colon != ':')) || st.b < 0 ||
            st.b > core::HighestReduceMethod(kind)) {
            std::fprintf(stderr,
                         "vistrel-cli: bad reduction '%s' (256, 16 or 2, :METHOD up to %d)\n", v,
                         kind < 0 ? 3 : core::HighestReduceMethod(kind));
            return TransformParse::Bad;
        }
        st.a = kind;
        steps.push_back(st);
        return TransformParse::Taken;
    }
    return TransformParse::NotTransform;
}

core::Status ApplyTransform(core::Bitmap& picture, const TransformStep& st) {
    // The picture moves into the step (no copy of a large picture); the
    // program stops on a failure, so nothing needs it back.
    const int bits = picture.bits();
    core::Bitmap in = std::move(picture);
    core::Result<core::Bitmap> next = core::Error{};
    bool skipped = false;
    switch (st.kind) {
    case TransformStep::FlipH:
        next = core::FlipPicture(std::move(in), false);
        break;
    case TransformStep::FlipV:
        next = core::FlipPicture(std::move(in), true);
        break;
    case TransformStep::Rotate:
        next = core::RotateClockwise(std::move(in), st.a);
        break;
    case TransformStep::Resize:
        next = core::ResizePicture(std::move(in), st.a, st.b,
                                   st.c >= 0 ? st.c : core::DefaultCopyMode(bits));
        break;
    case TransformStep::Resample:
        next = core::ResamplePicture(std::move(in), st.a, st.b, &skipped);
        if (skipped)
            std::fprintf(stderr, "vistrel-cli: resample to 15 pixels or less: unchanged\n");
        break;
    case TransformStep::Promote:
        next = core::PromotePicture(std::move(in), st.a);
        break;
    case TransformStep::Reduce:
    case TransformStep::Gray:
        next = core::ReducePicture(
            std::move(in),
            core::ChooseReduction(st.kind == TransformStep::Gray ? 0 : st.a, st.b, bits));
        break;
    }
    if (!next) return next.error();
    picture = std::move(next).value();
    return core::Ok();
}

void PrintTransformUsage(std::FILE* to) {
    std::fputs("transforms (convert, in the order given):\n"
               "  --flip-h --flip-v --rotate A --resize WxH[:MODE] --resample WxH\n"
               "  --promote 4|8|24 --reduce 256|16|2[:METHOD] --gray\n"
               "--rotate turns clockwise by A/100 degrees (1..35999); --resize MODE is\n"
               "0 Normal, 1 Preserve Black, 2 Preserve White; --reduce METHOD 0 is\n"
               "\"Regular\" up to the highest, \"Optimal\" (the default).\n",
               to);
}

} // namespace cli
