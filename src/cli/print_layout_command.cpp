#include "cli/print_layout_command.h"

#include "core/print/print_layout.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace cli {

namespace {

constexpr int kMaxLength = 1 << 24; // pixels along one side of a page or picture

bool ParseNumber(const std::string& text, int lo, int hi, int* out) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const long v = std::strtol(text.c_str(), nullptr, 10);
    if (v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

// "WxH" (or "N" alone when `single` is allowed, giving N x N).
bool ParsePair(const char* text, bool single, int lo, int hi, int* a, int* b) {
    const std::string s = text;
    const auto x = s.find_first_of("xX");
    if (x == std::string::npos) {
        if (!single || !ParseNumber(s, lo, hi, a)) return false;
        *b = *a;
        return true;
    }
    return ParseNumber(s.substr(0, x), lo, hi, a) && ParseNumber(s.substr(x + 1), lo, hi, b);
}

int Usage(const char* why) {
    if (why) std::fprintf(stderr, "vistrel-cli: %s\n", why);
    PrintLayoutUsage(stderr);
    return 2;
}

} // namespace

void PrintLayoutUsage(std::FILE* to) {
    std::fputs("  vistrel-cli print-layout --page WxH --dpi D|DXxDY --picture WxH\n"
               "        [--orientation portrait|landscape] [--size P] [--unit pixels|inches|cm]\n"
               "print-layout prints what the print layout dialog shows for a printable area\n"
               "of W x H printer pixels (as the printer reports it in that orientation), after\n"
               "the size bar was moved to P (1 to 100) and the unit chosen (default inches):\n"
               "NAME<TAB>VALUE lines; a bar's line gives position, maximum and large step.\n",
               to);
}

int PrintLayoutCommand(int argc, char** argv) {
    core::print::Page page;
    int pictureWidth = 0, pictureHeight = 0;
    bool havePage = false, haveDpi = false, havePicture = false;
    std::optional<int> size;
    core::print::MeasureUnit unit = core::print::MeasureUnit::Inches;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            PrintLayoutUsage(stdout);
            return 0;
        }
        if (i + 1 >= argc) return Usage((a + " needs a value").c_str());
        const char* v = argv[++i];
        if (a == "--page") {
            if (!ParsePair(v, false, 1, kMaxLength, &page.width, &page.height))
                return Usage("--page needs WxH in printer pixels");
            havePage = true;
        } else if (a == "--dpi") {
            if (!ParsePair(v, true, 1, 100000, &page.dpiX, &page.dpiY))
                return Usage("--dpi needs D or DXxDY (1 to 100000)");
            haveDpi = true;
        } else if (a == "--picture") {
            if (!ParsePair(v, false, 1, kMaxLength, &pictureWidth, &pictureHeight))
                return Usage("--picture needs WxH in pixels");
            havePicture = true;
        } else if (a == "--orientation") {
            if (std::strcmp(v, "portrait") == 0)
                page.landscape = false;
            else if (std::strcmp(v, "landscape") == 0)
                page.landscape = true;
            else
                return Usage("--orientation needs portrait or landscape");
        } else if (a == "--size") {
            int p = 0;
            if (!ParseNumber(v, 1, 100, &p)) return Usage("--size needs 1 to 100");
            size = p;
        } else if (a == "--unit") {
            if (std::strcmp(v, "pixels") == 0)
                unit = core::print::MeasureUnit::Pixels;
            else if (std::strcmp(v, "inches") == 0)
                unit = core::print::MeasureUnit::Inches;
            else if (std::strcmp(v, "cm") == 0)
                unit = core::print::MeasureUnit::Cm;
            else
                return Usage("--unit needs pixels, inches or cm");
        } else {
            return Usage(("unknown option " + a).c_str());
        }
    }
    if (!havePage || !haveDpi || !havePicture)
        return Usage("print-layout needs --page, --dpi and --picture");
    const auto report = core::print::LayoutAfter(page, pictureWidth, pictureHeight, size, unit);
    std::fputs(core::print::LayoutLines(report).c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace cli
