// vistrel-cli: the open pipeline without a window, for users and for checks.
// It opens pictures as the window would on a 24-bit screen with the default
// settings.
#include "core/app/settings.h"
#include "core/common/paths.h"
#include "core/editing/transform_ops.h"
#include "core/input/imagelib/imagelib.h"
#include "core/input/jpeg_decoder.h"
#include "core/input/open_pipeline.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void PrintUsage(std::FILE* to) {
    std::fputs("usage:\n"
               "  vistrel-cli info FILE [--page N] [--fax-quality N]\n"
               "  vistrel-cli convert IN OUT [--page N] [--fax-quality N] [--decode-box WxH]\n"
               "                     [--flip-h] [--flip-v] [--rotate A] [--resize WxH[:MODE]]\n"
               "                     [--resample WxH] [--promote 4|8|24]\n"
               "                     [--reduce 256|16|2[:METHOD]] [--gray]\n"
               "\n"
               "info prints the picture as the window shows it (key: value lines).\n"
               "convert writes the decoded picture at its depth; OUT's extension picks\n"
               "the format (.bmp .dib .png). The edit flags apply in the order given:\n"
               "--rotate turns clockwise by A/100 degrees (1..35999); --resize MODE is\n"
               "0 Normal, 1 Preserve Black, 2 Preserve White; --reduce METHOD 0 is\n"
               "\"Regular\" up to the highest, \"Optimal\" (the default).\n",
               to);
}

// One edit of convert, applied in the order given.
struct Step {
    enum Kind { FlipH, FlipV, Rotate, Resize, Resample, Promote, Reduce, Gray } kind;
    int a = 0, b = 0, c = -1;
};

struct Options {
    std::vector<Step> steps;
    std::string command;
    std::vector<std::string> files;
    int page = 1;
    int faxQuality = 1;
    std::optional<std::pair<int, int>> decodeBox;
};

bool ParseInt(const char* text, int lo, int hi, int* out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

// Parses the arguments; a message on stderr and false for usage errors.
bool ParseArgs(int argc, char** argv, Options* o) {
    if (argc < 2) return false;
    o->command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "vistrel-cli: %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        if (a == "--page") {
            const char* v = value("--page");
            if (!v || !ParseInt(v, 1, 1 << 30, &o->page)) {
                if (v) std::fprintf(stderr, "vistrel-cli: bad page number '%s'\n", v);
                return false;
            }
        } else if (a == "--fax-quality") {
            const char* v = value("--fax-quality");
            if (!v || !ParseInt(v, 0, 3, &o->faxQuality)) {
                if (v) std::fprintf(stderr, "vistrel-cli: fax quality must be 0 to 3\n");
                return false;
            }
        } else if (a == "--decode-box") {
            const char* v = value("--decode-box");
            if (!v) return false;
            int w = 0, h = 0;
            char x = 0, extra = 0;
            if (std::sscanf(v, "%d%c%d%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X') ||
                w < 1 || h < 1) {
                std::fprintf(stderr, "vistrel-cli: bad box '%s' (expected WxH)\n", v);
                return false;
            }
            o->decodeBox = std::make_pair(w, h);
        } else if (a == "--flip-h" || a == "--flip-v" || a == "--gray") {
            o->steps.push_back({a == "--gray" ? Step::Gray : a == "--flip-h" ? Step::FlipH : Step::FlipV});
        } else if (a == "--rotate") {
            const char* v = value("--rotate");
            Step st{Step::Rotate};
            if (!v || !ParseInt(v, 1, 35999, &st.a)) {
                if (v) std::fprintf(stderr, "vistrel-cli: the angle must be 1 to 35999\n");
                return false;
            }
            o->steps.push_back(st);
        } else if (a == "--resize" || a == "--resample") {
            const char* v = value(a.c_str());
            if (!v) return false;
            Step st{a == "--resize" ? Step::Resize : Step::Resample};
            char x = 0, colon = 0, extra = 0;
            const int n = std::sscanf(v, "%d%c%d%c%d%c", &st.a, &x, &st.b, &colon, &st.c, &extra);
            const bool modeOk = n == 3 || (n == 5 && colon == ':' && st.kind == Step::Resize);
            if (!modeOk || (x != 'x' && x != 'X') || st.a < 1 || st.a > 16384 || st.b < 1 ||
                st.b > 16384 || (n == 5 && (st.c < 0 || st.c > 2))) {
                std::fprintf(stderr, "vistrel-cli: bad size '%s' (WxH, 1..16384%s)\n", v,
                             st.kind == Step::Resize ? ", :MODE 0..2" : "");
                return false;
            }
            if (n == 3) st.c = -1;
            o->steps.push_back(st);
        } else if (a == "--promote") {
            const char* v = value("--promote");
            Step st{Step::Promote};
            if (!v || !ParseInt(v, 4, 24, &st.a) || (st.a != 4 && st.a != 8 && st.a != 24)) {
                if (v) std::fprintf(stderr, "vistrel-cli: --promote takes 4, 8 or 24\n");
                return false;
            }
            o->steps.push_back(st);
        } else if (a == "--reduce") {
            const char* v = value("--reduce");
            if (!v) return false;
            Step st{Step::Reduce};
            char colon = 0, extra = 0;
            const int n = std::sscanf(v, "%d%c%d%c", &st.a, &colon, &st.b, &extra);
            const int kind = st.a == 256 ? 8 : st.a == 16 ? 4 : st.a == 2 ? 1 : -1;
            if (n == 1) st.b = core::HighestReduceMethod(kind);
            if (kind < 0 || (n != 1 && (n != 3 || colon != ':')) || st.b < 0 ||
                st.b > core::HighestReduceMethod(kind)) {
                std::fprintf(stderr, "vistrel-cli: bad reduction '%s' (256, 16 or 2, :METHOD up to %d)\n",
                             v, kind < 0 ? 3 : core::HighestReduceMethod(kind));
                return false;
            }
            st.a = kind;
            o->steps.push_back(st);
        } else if (a == "--") {
            for (++i; i < argc; ++i) o->files.emplace_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "vistrel-cli: unknown option %s\n", a.c_str());
            return false;
        } else {
            o->files.push_back(a);
        }
    }
    return true;
}

struct Opened {
    core::DocumentState doc;
    core::DecodedPicture decoded;
};

// Opens a file through the pipeline; prints why on failure.
std::optional<Opened> OpenPicture(const Options& o, const std::string& path) {
    core::SettingsRecord defaults;
    core::OpenEnvironment env;
    env.ScreenBits = 24;
    env.AutoReduce = defaults.AutoReduce != 0;
    env.FaxQuality = o.faxQuality;
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

int Info(const Options& o) {
    if (o.files.size() != 1 || o.decodeBox) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    auto opened = OpenPicture(o, o.files[0]);
    if (!opened) return kExitFailed;
    core::DocumentState& doc = opened->doc;
    core::Bitmap& picture = opened->decoded.picture;
    // The window turns a device-independent picture device-dependent when
    // Auto Reduce is on (the default) on a true-colour screen.
    if (auto st = core::MakeDeviceDependent(picture, 24); !st) {
        std::fprintf(stderr, "vistrel-cli: %s\n", st.message().c_str());
        return kExitFailed;
    }
    std::printf("file: %s\n", o.files[0].c_str());
    std::printf("width: %d\n", doc.ReducedScale ? doc.FullWidth : doc.PictureWidth);
    std::printf("height: %d\n", doc.ReducedScale ? doc.FullHeight : doc.PictureHeight);
    std::printf("bits: %d\n", doc.PictureBits);
    std::printf("pages: %d\n", doc.PageCount);
    std::printf("page: %d\n", o.page);
    std::printf("type: %s\n", doc.typeText.c_str());
    std::printf("compression: %s\n", doc.compressionText.c_str());
    std::printf("description: %s\n", core::PictureDescription(doc, picture).c_str());
    return kExitOk;
}

int Convert(const Options& o) {
    if (o.files.size() != 2) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string& out = o.files[1];
    const std::string ext = core::UpperExtension(out);
    if (ext != ".BMP" && ext != ".DIB" && ext != ".PNG") {
        std::fprintf(stderr, "vistrel-cli: cannot write '%s' files (use .bmp, .dib or .png)\n",
                     ext.c_str());
        return kExitUsage;
    }
    auto opened = OpenPicture(o, o.files[0]);
    if (!opened) return kExitFailed;
    core::Bitmap& picture = opened->decoded.picture;
    for (const Step& st : o.steps) {
        core::Result<core::Bitmap> next = core::Error{};
        bool skipped = false;
        switch (st.kind) {
        case Step::FlipH: next = core::FlipPicture(picture, false); break;
        case Step::FlipV: next = core::FlipPicture(picture, true); break;
        case Step::Rotate: next = core::RotateClockwise(picture, st.a); break;
        case Step::Resize:
            next = core::ResizePicture(picture, st.a, st.b,
                                       st.c >= 0 ? st.c : core::DefaultCopyMode(picture.bits()));
            break;
        case Step::Resample:
            next = core::ResamplePicture(picture, st.a, st.b, &skipped);
            if (skipped) std::fprintf(stderr, "vistrel-cli: resample to 15 pixels or less: unchanged\n");
            break;
        case Step::Promote: next = core::PromotePicture(picture, st.a); break;
        case Step::Reduce:
        case Step::Gray:
            next = core::ReducePicture(
                picture, core::ChooseReduction(st.kind == Step::Gray ? 0 : st.a, st.b, picture.bits()));
            break;
        }
        if (!next) {
            std::fprintf(stderr, "vistrel-cli: %s\n", next.message().c_str());
            return kExitFailed;
        }
        picture = std::move(next).value();
    }
    const int rc = ext == ".PNG" ? core::imagelib::WritePNG(out, picture, false)
                                 : core::imagelib::WriteBMP(out, picture);
    if (rc < 0) {
        std::fprintf(stderr, "vistrel-cli: %s\n", core::imagelib::LastError().c_str());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseArgs(argc, argv, &o)) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    if (o.command == "info") return Info(o);
    if (o.command == "convert") return Convert(o);
    if (o.command == "--help" || o.command == "-h" || o.command == "help") {
        PrintUsage(stdout);
        return kExitOk;
    }
    std::fprintf(stderr, "vistrel-cli: unknown command '%s'\n", o.command.c_str());
    PrintUsage(stderr);
    return kExitUsage;
}
