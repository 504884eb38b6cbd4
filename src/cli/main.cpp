// vistrel-cli: the open pipeline without a window, for users and for checks.
// It opens pictures as the window would on a 24-bit screen with the default
// settings.
#include "cli/bookmarks_command.h"
#include "cli/convert_command.h"
#include "cli/edit_options.h"
#include "cli/avl_command.h"
#include "cli/effects_command.h"
#include "cli/help_command.h"
#include "cli/open_picture.h"
#include "cli/scan_command.h"
#include "cli/print_layout_command.h"
#include "cli/transform_options.h"
#include "cli/transition_command.h"
#include "core/common/paths.h"
#include "core/input/image_info.h"
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
               "  vistrel-cli info FILE [--page N] [--fax-quality N] [--pcd-step N] [--text]\n"
               "  vistrel-cli convert IN OUT [--page N] [--fax-quality N] [--pcd-step N]\n"
               "        [--decode-box WxH]\n"
               "        [--jpeg-compression N] [--jpeg-gray] [--progressive] [--depth 1|4|8|24]\n"
               "  vistrel-cli jpeg IN OUT --scale S [--subsample] [--no-optimize] [--no-float]\n"
               "        [--smoothing S] [--progressive]\n"
               "  vistrel-cli bookmarks FILE.vsl\n"
               "\n"
               "info prints the picture as the window shows it (key: value lines);\n"
               "with --text the Info box's text as the window shows it on a 24-bit screen.\n"
               "convert writes the decoded picture at its depth (or --depth); OUT's\n"
               "extension picks the format (.bmp .dib .pcx .tif .tiff .png .jpg .jpeg);\n"
               "JPEG compression is the save dialog's bar, 1 (smallest file) to 100 (best), default 50.\n"
               "jpeg encodes as the compression wizard does, at the linear quality scale S.\n"
               "bookmarks prints a bookmark list's entries (index<TAB>entry lines).\n",
               to);
    cli::PrintEditUsage(to);
    cli::PrintTransformUsage(to);
    std::fputc('\n', to);
    PrintEffectsUsage(to);
    cli::PrintAvlUsage(to);
    std::fputc('\n', to);
    cli::PrintTransitionUsage(to);
    std::fputc('\n', to);
    cli::PrintScanUsage(to);
    cli::PrintLayoutUsage(to);
}

struct Options {
    std::string command;
    std::vector<std::string> files;
    int page = 1;
    int faxQuality = 1;
    bool text = false; // info: the Info box's text
    int pcdStep = 3; // the Photo CD resolution, 0 (64x96) to 6
    std::optional<std::pair<int, int>> decodeBox;
    cli::OutputOptions output;
    std::vector<cli::EditStep> edits;
    std::vector<cli::TransformStep> transforms;
    // Edits and transforms in the order given: (is a transform, index).
    std::vector<std::pair<bool, std::size_t>> order;
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
        } else if (a == "--text") {
            o->text = true;
        } else if (a == "--pcd-step") {
            const char* v = value("--pcd-step");
            if (!v || !ParseInt(v, 0, 6, &o->pcdStep)) {
                if (v) std::fprintf(stderr, "vistrel-cli: Photo CD step must be 0 to 6\n");
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
        } else if (const int taken = cli::ParseOutputOption(argc, argv, &i, &o->output); taken) {
            if (taken < 0) return false;
        } else if (const cli::EditParse e = cli::ParseEditOption(argc, argv, i, o->edits);
                   e != cli::EditParse::NotEdit) {
            if (e == cli::EditParse::Bad) return false;
            o->order.emplace_back(false, o->edits.size() - 1);
        } else if (const cli::TransformParse t =
                       cli::ParseTransformOption(argc, argv, i, o->transforms);
                   t != cli::TransformParse::NotTransform) {
            if (t == cli::TransformParse::Bad) return false;
            o->order.emplace_back(true, o->transforms.size() - 1);
        } else if (a == "--") {
            for (++i; i < argc; ++i)
                o->files.emplace_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "vistrel-cli: unknown option %s\n", a.c_str());
            return false;
        } else {
            o->files.push_back(a);
        }
    }
    return true;
}

cli::OpenOptions OpenOptionsOf(const Options& o) {
    cli::OpenOptions open;
    open.page = o.page;
    open.faxQuality = o.faxQuality;
    open.pcdStep = o.pcdStep;
    open.decodeBox = o.decodeBox;
    return open;
}

int Info(const Options& o) {
    if (o.files.size() != 1 || o.decodeBox) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    auto opened = cli::OpenPicture(o.files[0], OpenOptionsOf(o));
    if (!opened) return kExitFailed;
    core::DocumentState& doc = opened->doc;
    core::Bitmap& picture = opened->decoded.picture;
    // The window turns a device-independent picture device-dependent when
    // Auto Reduce is on (the default) on a true-colour screen.
    if (auto st = core::MakeDeviceDependent(picture, 24); !st) {
        std::fprintf(stderr, "vistrel-cli: %s\n", st.message().c_str());
        return kExitFailed;
    }
    if (o.text) {
        // As the window's Info box shows it on a 24-bit screen.
        const core::ImageInfoInput in = core::ImageInfoOf(doc, picture, false, 24);
        std::printf("%s\n", core::ImageInfoText(in).c_str());
        return kExitOk;
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
    if (doc.CurrentExt == ".PCD") {
        std::printf("pcd-resolution: %d (%dx%d)\n", doc.PhotoCdResolution,
                    64 << doc.PhotoCdResolution, 96 << doc.PhotoCdResolution);
        std::printf("pcd-orientation: %s\n", picture.height() < picture.width() ? "Landscape" : "Portrait");
    }
    return kExitOk;
}

int Convert(const Options& o) {
    if (o.files.size() != 2) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string& out = o.files[1];
    if (!cli::WritableExtension(out)) {
        std::fprintf(stderr,
                     "vistrel-cli: cannot write '%s' files (use .bmp, .dib, .pcx, .tif, .tiff, "
                     ".png, .jpg or .jpeg)\n",
                     core::UpperExtension(out).c_str());
        return kExitUsage;
    }
    auto opened = cli::OpenPicture(o.files[0], OpenOptionsOf(o));
    if (!opened) return kExitFailed;
    core::Bitmap& picture = opened->decoded.picture;
    for (const auto& [isTransform, index] : o.order) {
        const core::Status st = isTransform ? cli::ApplyTransform(picture, o.transforms[index])
                                            : cli::ApplyEdits(picture, {o.edits[index]});
        if (!st) {
            std::fprintf(stderr, "vistrel-cli: %s\n", st.message().c_str());
            return kExitFailed;
        }
    }
    return cli::WriteConverted(out, picture, o.output);
}

// The compression wizard's encoder on a whole picture.
int Jpeg(const Options& o) {
    if (o.files.size() != 2 || o.output.scale < 0) {
        if (o.output.scale < 0) std::fputs("vistrel-cli: jpeg needs --scale S\n", stderr);
        PrintUsage(stderr);
        return kExitUsage;
    }
    auto opened = cli::OpenPicture(o.files[0], OpenOptionsOf(o));
    if (!opened) return kExitFailed;
    return cli::WriteWizardJpeg(o.files[1], opened->decoded.picture, o.output);
}

} // namespace

int main(int argc, char** argv) {
    if (const int help = cli::HelpRequest(argc, argv, PrintUsage); help >= 0) return help;
    if (argc >= 2 && IsEffectsCommand(argv[1])) return EffectsCommand(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "avl") == 0) return cli::AvlCommand(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "transition") == 0)
        return cli::TransitionCommand(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "scan") == 0) return cli::ScanCommand(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "print-layout") == 0)
        return cli::PrintLayoutCommand(argc, argv);
    Options o;
    if (!ParseArgs(argc, argv, &o)) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    if (o.text && o.command != "info") {
        std::fputs("vistrel-cli: --text belongs to info\n", stderr);
        PrintUsage(stderr);
        return kExitUsage;
    }
    if (o.command == "info") return Info(o);
    if (o.command == "convert") return Convert(o);
    if (o.command == "jpeg") return Jpeg(o);
    if (o.command == "bookmarks") return BookmarksCommand(o.files);
    if (o.command == "--help" || o.command == "-h" || o.command == "help") {
        PrintUsage(stdout);
        return kExitOk;
    }
    std::fprintf(stderr, "vistrel-cli: unknown command '%s'\n", o.command.c_str());
    PrintUsage(stderr);
    return kExitUsage;
}
