#include "cli/effects_command.h"

#include "core/slideshow/effect_catalogue.h"
#include "core/slideshow/effect_resolve.h"
#include "core/slideshow/random_source.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <strings.h>
#include <vector>

namespace fx = core::slideshow;

namespace cli {

std::optional<long long> ParseNumber(const char* text, long long lo, long long hi) {
    if (!text || !*text) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (*end || errno == ERANGE || v < lo || v > hi) return std::nullopt;
    return v;
}

std::optional<std::uint64_t> ParseSeed(const char* text) {
    if (!text || !*text || *text == '-' || *text == '+') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (*end || errno == ERANGE) return std::nullopt;
    return v;
}

std::optional<int> ParseEntry(const char* text) {
    const auto v = ParseNumber(text, 0, fx::kCatalogueSize - 1);
    if (!v) return std::nullopt;
    return static_cast<int>(*v);
}

// EffectsSpeed as stored (0..255; the resolution clamps it) or its name.
std::optional<int> ParseSpeed(const char* text) {
    static constexpr const char* kNames[] = {"faster", "normal", "slower", "slowest"};
    for (int i = 0; i < 4; ++i)
        if (strcasecmp(text, kNames[i]) == 0) return i;
    const auto v = ParseNumber(text, 0, 255);
    if (!v) return std::nullopt;
    return static_cast<int>(*v);
}

bool ParseSize(const char* text, int* w, int* h) {
    long long a = 0, b = 0;
    char x = 0, extra = 0;
    if (std::sscanf(text, "%lld%c%lld%c", &a, &x, &b, &extra) != 3 || (x != 'x' && x != 'X') ||
        a < 1 || b < 1 || a > 0x7FFFFFFF || b > 0x7FFFFFFF)
        return false;
    *w = static_cast<int>(a);
    *h = static_cast<int>(b);
    return true;
}

} // namespace cli

namespace {

using cli::ParseEntry;
using cli::ParseNumber;
using cli::ParseSeed;
using cli::ParseSize;
using cli::ParseSpeed;

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

int Usage(const char* why) {
    if (why) std::fprintf(stderr, "vistrel-cli: %s\n", why);
    std::fputs("usage:\n", stderr);
    PrintEffectsUsage(stderr);
    return kExitUsage;
}

int ListEffects(int argc) {
    if (argc != 2) return Usage("effects takes no arguments");
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    for (std::size_t i = 0; i < c.names.size(); ++i) {
        const fx::EffectEntry& e = c.table[i];
        std::printf("%zu\t%s\t%d\t%d\t%u\n", i, c.names[i].c_str(), e.Effect, e.Option,
                    static_cast<unsigned>(e.Grain));
    }
    return std::fflush(stdout) == 0 ? kExitOk : 1;
}

void PrintDraw(const fx::SlideEffect& s) {
    char picked[128] = "null";
    if (s.picked)
        std::snprintf(picked, sizeof picked, "{\"effect\":%d,\"option\":%d,\"grain\":%u}",
                      s.picked->Effect, s.picked->Option, static_cast<unsigned>(s.picked->Grain));
    std::printf("{\"entry\":%d,\"picked\":%s,\"draw\":{\"call\":\"%s\",\"effect\":%d,"
                "\"option\":%d,\"grain\":%u,\"pace\":%d,\"pause\":%d}}\n",
                s.entry, picked, s.withEffect ? "ImgDrawImageFX" : "ImgDrawImage", s.draw.Effect,
                s.draw.Option, static_cast<unsigned>(s.draw.Grain), s.draw.Pace, s.draw.Pause);
}

int Effect(int argc, char** argv) {
    std::optional<int> entry, speed;
    std::optional<std::uint64_t> seed;
    int width = 0, height = 0;
    bool haveSize = false;
    long long screenWidth = 1920, draws = 1;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = (a.rfind("--", 0) == 0 && i + 1 < argc) ? argv[i + 1] : nullptr;
        if (a == "--speed") {
            if (!v || !(speed = ParseSpeed(v)))
                return Usage("--speed takes 0..3 (Faster..Slowest)");
        } else if (a == "--size") {
            if (!v || !ParseSize(v, &width, &height)) return Usage("--size takes WxH");
            haveSize = true;
        } else if (a == "--screen-width") {
            const auto n = v ? ParseNumber(v, 0, 0x7FFFFFFF) : std::nullopt;
            if (!n) return Usage("--screen-width takes a width in pixels");
            screenWidth = *n;
        } else if (a == "--seed") {
            if (!v || !(seed = ParseSeed(v))) return Usage("--seed takes an unsigned number");
        } else if (a == "--draws") {
            const auto n = v ? ParseNumber(v, 0, 1000000000) : std::nullopt;
            if (!n) return Usage("--draws takes a count");
            draws = *n;
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage(("unknown option " + a).c_str());
        } else {
            if (entry) return Usage("effect takes one entry");
            if (!(entry = ParseEntry(a.c_str()))) return Usage("an entry is 0..173");
            continue;
        }
        ++i; // the option's value
    }
    if (!entry || !speed || !haveSize) return Usage("effect needs ENTRY, --speed and --size");

    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::RandomSource& rng = fx::ProgramRandom();
    if (seed) rng.Reseed(*seed);
    // A bookmark show with only this entry selected.
    fx::SlideEffectChooser chooser(c.table, {static_cast<std::uint8_t>(*entry)});
    fx::ResolveContext ctx;
    ctx.speed = *speed;
    ctx.width = width;
    ctx.height = height;
    ctx.screenWidth = static_cast<int>(screenWidth);
    for (long long k = 0; k < draws; ++k)
        PrintDraw(chooser.NextFromSelection(rng, ctx));
    return std::fflush(stdout) == 0 ? kExitOk : 1;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int Selection(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[2], "--decode") == 0) {
        const std::string hex = argv[3];
        std::vector<std::uint8_t> bytes;
        if (hex.size() % 2) return Usage("--decode takes an even number of hex digits");
        for (std::size_t i = 0; i < hex.size(); i += 2) {
            const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
            if (hi < 0 || lo < 0) return Usage("--decode takes hex digits");
            bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        }
        if (bytes.size() != fx::kSelectionBytes)
            std::fprintf(stderr, "vistrel-cli: a selection of %zu bytes, not %zu, is empty\n",
                         bytes.size(), fx::kSelectionBytes);
        for (const std::uint8_t e : fx::DecodeSelection(std::span<const std::uint8_t>(bytes)))
            std::printf("%d\n", e);
        return std::fflush(stdout) == 0 ? kExitOk : 1;
    }
    fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    for (int i = 2; i < argc; ++i) {
        const auto entry = ParseEntry(argv[i]);
        if (!entry) return Usage("an entry is 0..173");
        c.table[*entry].Selected = 1;
    }
    for (const std::uint8_t b : fx::EncodeSelection(c.table))
        std::printf("%02x", b);
    std::printf("\n");
    return std::fflush(stdout) == 0 ? kExitOk : 1;
}

} // namespace

bool IsEffectsCommand(const char* command) {
    return std::strcmp(command, "effects") == 0 || std::strcmp(command, "effect") == 0 ||
           std::strcmp(command, "effect-selection") == 0;
}

int EffectsCommand(int argc, char** argv) {
    if (std::strcmp(argv[1], "effects") == 0) return ListEffects(argc);
    if (std::strcmp(argv[1], "effect") == 0) return Effect(argc, argv);
    return Selection(argc, argv);
}

void PrintEffectsUsage(std::FILE* to) {
    std::fputs("  vistrel-cli effects\n"
               "  vistrel-cli effect ENTRY --speed S --size WxH [--screen-width SW] [--seed N]\n"
               "        [--draws K]\n"
               "  vistrel-cli effect-selection ENTRY... | --decode HEX\n"
               "\n"
               "effects lists the transition effects (ENTRY<TAB>NAME<TAB>EFFECT<TAB>OPTION<TAB>\n"
               "GRAIN lines). effect prints the K draws (default 1) a show with only ENTRY\n"
               "selected makes at speed S (0 Faster .. 3 Slowest) for pictures of W x H on a\n"
               "screen SW wide (default 1920), one JSON object a line; the seed defaults to\n"
               "VISTREL_SEED, else the clock. effect-selection prints the stored selection of\n"
               "the entries as 512 hex digits; --decode prints a stored one's entries.\n",
               to);
}
