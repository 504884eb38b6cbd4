#include "cli/help_command.h"

#include "cli/edit_options.h"
#include "cli/effects_command.h"
#include "cli/transform_options.h"
#include "cli/transition_command.h"

#include <cstring>
#include <string>

#ifndef VISTREL_VERSION
#define VISTREL_VERSION "3.6.23"
#endif

namespace cli {

namespace {

void InfoUsage(std::FILE* to) {
    std::fputs("usage: vistrel-cli info FILE [--page N] [--fax-quality N]\n"
               "\n"
               "Prints the picture as the window shows it on a 24-bit screen with the default\n"
               "settings, as key: value lines (file, width, height, bits, pages, page, type,\n"
               "compression, description).\n"
               "\n"
               "  --page N         the page of a multi-page file, from 1 (default 1)\n"
               "  --fax-quality N  how 1-bit pages are shown: 0 b/w, 1 4 shades (default),\n"
               "                   2 16 shades, 3 64 shades\n",
               to);
}

void ConvertUsage(std::FILE* to) {
    std::fputs("usage: vistrel-cli convert IN OUT [--page N] [--fax-quality N] [--decode-box WxH]\n"
               "        [--jpeg-compression N] [--jpeg-gray] [--progressive] [--depth 1|4|8|24]\n"
               "        [EDITS] [TRANSFORMS]\n"
               "\n"
               "Opens IN as the window does and writes it to OUT as Save As does; OUT's\n"
               "extension picks the format (.bmp .dib .pcx .tif .tiff .png .jpg .jpeg).\n"
               "\n"
               "  --page N              the page of a multi-page file, from 1\n"
               "  --fax-quality N       0 b/w, 1 4 shades (default), 2 16, 3 64 shades\n"
               "  --decode-box WxH      decode as fit-to-window does for a picture area of W x H\n"
               "  --jpeg-compression N  the save dialog's JPEG compression bar, 1 (smallest file)\n"
               "                        to 100 (best picture, largest file), default 50\n"
               "  --jpeg-gray           write a gray-scale JPEG\n"
               "  --progressive         progressive JPEG, interlaced PNG\n"
               "  --depth 1|4|8|24      promote the picture, or take it to fewer bits when its\n"
               "                        colours fit\n"
               "\n",
               to);
    PrintEditUsage(to);
    PrintTransformUsage(to);
}

void JpegUsage(std::FILE* to) {
    std::fputs(
        "usage: vistrel-cli jpeg IN OUT --scale S [--subsample] [--no-optimize] [--no-float]\n"
        "        [--smoothing S] [--progressive]\n"
        "\n"
        "Encodes IN as the JPEG compression wizard does.\n"
        "\n"
        "  --scale S       the linear quality scale, per cent of the standard tables\n"
        "                  (1..5000; the wizard offers 0..255)\n"
        "  --subsample     2x2 colour sampling instead of 1x1\n"
        "  --no-optimize   standard Huffman tables instead of optimised coding\n"
        "  --no-float      the fast integer DCT instead of floating point\n"
        "  --smoothing S   smoothing factor 0..100 (values above 100 count as 100)\n"
        "  --progressive   progressive JPEG\n",
        to);
}

void BookmarksUsage(std::FILE* to) {
    std::fputs("usage: vistrel-cli bookmarks FILE.vsl\n"
               "\n"
               "Prints the entries of a bookmark list file as the window loads them, one\n"
               "index<TAB>entry line each, index from 0.\n",
               to);
}

void EffectsUsage(std::FILE* to) {
    std::fputs("usage:\n", to);
    PrintEffectsUsage(to);
}

void TransitionUsage(std::FILE* to) {
    std::fputs("usage:\n", to);
    PrintTransitionUsage(to);
}

struct CommandUsage {
    const char* name;
    void (*print)(std::FILE*);
};

constexpr CommandUsage kCommands[] = {
    {"info", InfoUsage},
    {"convert", ConvertUsage},
    {"jpeg", JpegUsage},
    {"bookmarks", BookmarksUsage},
    {"effects", EffectsUsage},
    {"effect", EffectsUsage},
    {"effect-selection", EffectsUsage},
    {"transition", TransitionUsage},
};

bool IsHelp(const char* a) {
    return std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0;
}

bool IsVersion(const char* a) {
    return std::strcmp(a, "--version") == 0;
}

} // namespace

const char* Version() {
    return VISTREL_VERSION;
}

bool PrintCommandUsage(const char* command, std::FILE* to) {
    for (const CommandUsage& c : kCommands) {
        if (std::strcmp(c.name, command) == 0) {
            c.print(to);
            return true;
        }
    }
    return false;
}

int HelpRequest(int argc, char** argv, void (*printUsage)(std::FILE*)) {
    if (argc < 2) return -1;
    const char* first = argv[1];
    if (IsVersion(first)) {
        std::printf("vistrel-cli %s\n", Version());
        return 0;
    }
    if (IsHelp(first) || std::strcmp(first, "help") == 0) {
        // help COMMAND is COMMAND --help.
        if (argc < 3 || !PrintCommandUsage(argv[2], stdout)) printUsage(stdout);
        return 0;
    }
    // COMMAND ... --help: the command's usage, whatever else is given. After
    // "--" the words are file names, and a file may be called --help.
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        if (IsHelp(argv[i])) {
            if (!PrintCommandUsage(first, stdout)) printUsage(stdout);
            return 0;
        }
        if (IsVersion(argv[i])) {
            std::printf("vistrel-cli %s\n", Version());
            return 0;
        }
    }
    return -1;
}

} // namespace cli
