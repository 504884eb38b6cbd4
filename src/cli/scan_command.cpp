#include "cli/scan_command.h"

#include "cli/convert_command.h"
#include "core/common/paths.h"
#include "core/scan/scanner.h"

#include <string>
#include <vector>

namespace cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int Usage(const char* why) {
    if (why) std::fprintf(stderr, "vistrel-cli: %s\n", why);
    PrintScanUsage(stderr);
    return kExitUsage;
}

// The program's message, one line per line of the box.
int Failed(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return kExitFailed;
}

} // namespace

void PrintScanUsage(std::FILE* to) {
    std::fputs("  vistrel-cli scan --list\n"
               "  vistrel-cli scan [--device NAME] [--option NAME=VALUE]... OUT\n"
               "\n"
               "scan --list prints the scanners (name<TAB>vendor<TAB>model<TAB>type lines).\n"
               "scan scans one picture as TWAIN > Acquire does (the first scanner unless\n"
               "--device names one; each --option sets one of the scanner's options first,\n"
               "as scanimage names them: mode=Gray, depth=8, resolution=75 ...), writes it\n"
               "to OUT in the format of its extension and prints width:, height:, bits:.\n"
               "With no scanner, or when nothing came back, it prints the program's\n"
               "message and exits with 1.\n",
               to);
}

int ScanCommand(int argc, char** argv) {
    bool list = false;
    std::string device, out;
    std::vector<core::scan::ScanOption> options;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--list") {
            list = true;
        } else if (a == "--device") {
            if (i + 1 >= argc) return Usage("--device needs a scanner's name");
            device = argv[++i];
        } else if (a == "--option") {
            if (i + 1 >= argc) return Usage("--option needs NAME=VALUE");
            const std::string v = argv[++i];
            const std::size_t eq = v.find('=');
            if (eq == std::string::npos || eq == 0) return Usage("--option needs NAME=VALUE");
            options.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "vistrel-cli: unknown option %s\n", a.c_str());
            return Usage(nullptr);
        } else if (out.empty()) {
            out = a;
        } else {
            return Usage("scan writes one file");
        }
    }

    if (list) {
        if (!out.empty() || !device.empty() || !options.empty())
            return Usage("--list takes nothing else");
        auto devices = core::scan::ListDevices();
        if (!devices || devices->empty()) return Failed(core::scan::ScanErrorText());
        for (const core::scan::ScanDevice& d : *devices)
            std::printf("%s\t%s\t%s\t%s\n", d.name.c_str(), d.vendor.c_str(), d.model.c_str(),
                        d.type.c_str());
        return kExitOk;
    }
    if (out.empty()) return Usage("scan needs OUT (or --list)");
    if (!WritableExtension(out)) {
        std::fprintf(stderr,
                     "vistrel-cli: cannot write '%s' files (use .bmp, .dib, .pcx, .tif, .tiff, "
                     ".png, .jpg or .jpeg)\n",
                     core::UpperExtension(out).c_str());
        return kExitUsage;
    }

    core::scan::ScanResult r = core::scan::ScanPage(device, options, {});
    switch (r.outcome) {
    case core::scan::ScanOutcome::NoDevice:
        return Failed(core::scan::ScanErrorText());
    case core::scan::ScanOutcome::Aborted:
        return Failed(core::scan::ScanAbortedText());
    case core::scan::ScanOutcome::Failed:
        std::fprintf(stderr, "vistrel-cli: %s\n", r.message.c_str());
        return kExitFailed;
    case core::scan::ScanOutcome::Done:
        break;
    }
    if (const int rc = WriteConverted(out, r.picture, OutputOptions{}); rc != kExitOk) return rc;
    std::printf("width: %d\nheight: %d\nbits: %d\n", r.picture.width(), r.picture.height(),
                r.picture.bits());
    return kExitOk;
}

} // namespace cli
