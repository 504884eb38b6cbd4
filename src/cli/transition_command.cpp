#include "cli/transition_command.h"

#include "cli/effects_command.h"
#include "cli/open_picture.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/draw_fx.h"
#include "core/imageman/resample.h"
#include "core/imageman/scale.h"
#include "core/slideshow/effect_catalogue.h"
#include "core/slideshow/effect_resolve.h"
#include "core/slideshow/random_source.h"
#include "core/view/geometry.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <strings.h>
#include <system_error>
#include <vector>

namespace im = core::imageman;
namespace fx = core::slideshow;

namespace cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// A box larger than this on either side is refused rather than allocated.
constexpr int kMaxBoxSide = 16384;
// Under a picture OLD the box shows the default background (the window colour).
constexpr std::uint32_t kDefaultBackground = 0xFFFFFF;

int Usage(const char* why) {
    if (why) std::fprintf(stderr, "vistrel-cli: %s\n", why);
    std::fputs("usage:\n", stderr);
    PrintTransitionUsage(stderr);
    return kExitUsage;
}

enum class FrameFiles { All, Last, None };

struct Args {
    std::vector<std::string> files; // OLD NEW OUTDIR
    std::optional<int> entry, speed;
    int boxW = 640, boxH = 480;
    std::optional<std::uint64_t> seed;
    FrameFiles frames = FrameFiles::All;
    bool bench = false;
    bool haveBox = false, haveSize = false;
    int benchW = 1920, benchH = 1080;
};

// Parses the arguments; nullopt after a usage message.
std::optional<Args> ParseArgs(int argc, char** argv, int* status) {
    Args a;
    auto bad = [&](const char* why) {
        *status = Usage(why);
        return std::nullopt;
    };
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool option = arg.size() > 2 && arg.rfind("--", 0) == 0;
        if (arg == "--bench") {
            a.bench = true;
            continue;
        }
        if (!option) {
            a.files.push_back(arg);
            continue;
        }
        if (i + 1 >= argc) return bad((arg + " needs a value").c_str());
        const char* v = argv[++i];
        if (arg == "--entry") {
            if (!(a.entry = ParseEntry(v))) return bad("--entry takes 0..173");
        } else if (arg == "--speed") {
            if (!(a.speed = ParseSpeed(v))) return bad("--speed takes 0..3 (Faster..Slowest)");
        } else if (arg == "--box" || arg == "--size") {
            int w = 0, h = 0;
            if (!ParseSize(v, &w, &h) || w > kMaxBoxSide || h > kMaxBoxSide)
                return bad((arg + " takes WxH, each 1..16384").c_str());
            if (arg == "--box") {
                a.boxW = w, a.boxH = h, a.haveBox = true;
            } else {
                a.benchW = w, a.benchH = h, a.haveSize = true;
            }
        } else if (arg == "--seed") {
            if (!(a.seed = ParseSeed(v))) return bad("--seed takes an unsigned number");
        } else if (arg == "--frames") {
            if (std::strcmp(v, "all") == 0) {
                a.frames = FrameFiles::All;
            } else if (std::strcmp(v, "last") == 0) {
                a.frames = FrameFiles::Last;
            } else if (std::strcmp(v, "none") == 0) {
                a.frames = FrameFiles::None;
            } else {
                return bad("--frames takes all, last or none");
            }
        } else {
            return bad(("unknown option " + arg).c_str());
        }
    }
    if (a.bench) {
        if (!a.files.empty() || a.haveBox) return bad("--bench takes no files and no --box");
    } else {
        if (a.files.size() != 3) return bad("transition takes OLD NEW OUTDIR");
        if (!a.entry) return bad("transition needs --entry E");
        if (a.haveSize) return bad("--size is for --bench; the box is --box");
    }
    return a;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsColourSpec(const std::string& spec) {
    return spec.size() >= 6 && strncasecmp(spec.c_str(), "color:", 6) == 0;
}

// color:RRGGBB as 0x00RRGGBB.
std::optional<std::uint32_t> ParseColour(const std::string& spec) {
    if (!IsColourSpec(spec) || spec.size() != 12) return std::nullopt;
    std::uint32_t c = 0;
    for (std::size_t i = 6; i < 12; ++i) {
        const int d = HexDigit(spec[i]);
        if (d < 0) return std::nullopt;
        c = c << 4 | static_cast<std::uint32_t>(d);
    }
    return c;
}

// The client area the show draws on.
struct Box {
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels;

    im::Frame32View view() { return {pixels.data(), w, h, w}; }
    std::uint32_t* row(int y) { return &pixels[static_cast<std::size_t>(y) * w]; }
    const std::uint32_t* row(int y) const { return &pixels[static_cast<std::size_t>(y) * w]; }
};

// A picture no larger than the box, as the show loads a slide: a larger one
// is fitted into the box keeping its aspect (averaged; to gray below 4 bits).
core::Result<core::Bitmap> AsSlide(core::Bitmap picture, int boxW, int boxH) {
    if (picture.width() <= boxW && picture.height() <= boxH) return picture;
    const core::ViewSize s = core::ScaleToFit(picture.width(), picture.height(), boxW, boxH);
    // A very long, thin picture still keeps a row or column.
    const int w = std::clamp(s.width, 1, boxW), h = std::clamp(s.height, 1, boxH);
    const im::Rect all{0, 0, picture.width(), picture.height()};
    if (picture.bits() < 4) return im::AreaAverage(picture, all, w, h, true);
    return im::Resample(picture, all, w, h);
}

// Where the show puts a slide of w x h: centred (integer halves).
im::Rect Placement(int w, int h, int boxW, int boxH) {
    const int left = w < boxW ? (boxW - w) / 2 : 0, top = h < boxH ? (boxH - h) / 2 : 0;
    return {left, top, left + w, top + h};
}

bool Empty(const im::Rect& r) {
    return r.width() <= 0 || r.height() <= 0;
}

im::Rect Union(const im::Rect& a, const im::Rect& b) {
    if (Empty(a)) return b;
    if (Empty(b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// FNV-1a 64 over the rectangle's pixels, row by row, each pixel as the four
// bytes of 0x00RRGGBB from the lowest.
std::uint64_t Hash(const Box& box, const im::Rect& r) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (int y = r.top; y < r.bottom; ++y) {
        const std::uint32_t* p = box.row(y);
        for (int x = r.left; x < r.right; ++x)
            for (int b = 0; b < 4; ++b) {
                h ^= (p[x] >> (8 * b)) & 0xFF;
                h *= 0x100000001b3ULL;
            }
    }
    return h;
}

bool WritePng(const std::filesystem::path& path, const Box& box) {
    auto bitmap = core::Bitmap::Create(box.w, box.h, 24);
    if (!bitmap) {
        std::fprintf(stderr, "vistrel-cli: %s\n", bitmap.message().c_str());
        return false;
    }
    core::Bitmap& b = bitmap.value();
    for (int y = 0; y < box.h; ++y) {
        const std::uint32_t* in = box.row(y);
        std::uint8_t* out = b.row(y);
        for (int x = 0; x < box.w; ++x) {
            out[3 * x] = static_cast<std::uint8_t>(in[x]);
            out[3 * x + 1] = static_cast<std::uint8_t>(in[x] >> 8);
            out[3 * x + 2] = static_cast<std::uint8_t>(in[x] >> 16);
        }
    }
    if (core::imagelib::WritePNG(path.string(), b, false) < 0) {
        std::fprintf(stderr, "vistrel-cli: cannot write %s: %s\n", path.string().c_str(),
                     core::imagelib::LastError().c_str());
        return false;
    }
    return true;
}

// The box as the draw call sees it, on a virtual clock that never runs late:
// each frame ends when the call waits for the next one (or returns), and is
// then hashed, checked outside the target, printed and written.
class Recorder final : public im::DrawSurface {
  public:
    Recorder(Box& box, const im::Rect& target, const im::FxPlan& plan, FrameFiles files,
             std::filesystem::path dir)
        : box_(box), start_(box.pixels), target_(target), plan_(plan), files_(files),
          dir_(std::move(dir)) {}

    im::Frame32View Pixels() override { return box_.view(); }
    void Present(const im::Rect& changed) override { dirty_ = Union(dirty_, changed); }
    std::int64_t NowMs() override { return now_; }
    void SleepUntilMs(std::int64_t t) override {
        EndFrame();
        now_ = std::max(now_, t);
        due_ = now_;
    }
    // The show's pacing callback sleeps the pause it is given.
    int Paced(int pauseMs) {
        pause_ = pauseMs;
        now_ += std::max(pauseMs, 0);
        return 0;
    }
    // After the call: its last frame.
    void Finish() {
        EndFrame();
        if (files_ == FrameFiles::Last && frame_ > 0 && ok_) ok_ = Write(frame_);
    }

    bool outsideUnchanged() const { return outsideUnchanged_; }
    bool ok() const { return ok_; }
    int frames() const { return frame_; }

  private:
    void EndFrame() {
        ++frame_;
        const int step = frame_ <= static_cast<int>(plan_.frames.size())
                             ? plan_.frames[frame_ - 1].step
                             : plan_.steps;
        if (outsideUnchanged_) outsideUnchanged_ = OutsideUnchanged();
        char pause[16] = "null", dirty[64] = "null";
        if (pause_) std::snprintf(pause, sizeof pause, "%d", *pause_);
        if (!Empty(dirty_))
            std::snprintf(dirty, sizeof dirty, "[%d,%d,%d,%d]", dirty_.left, dirty_.top,
                          dirty_.right, dirty_.bottom);
        std::printf("{\"frame\":%d,\"step\":%d,\"due_ms\":%lld,\"callback_pause_ms\":%s,"
                    "\"dirty\":%s,\"hash\":\"%016llx\"}\n",
                    frame_, step, static_cast<long long>(due_), pause, dirty,
                    static_cast<unsigned long long>(Hash(box_, target_)));
        if (files_ == FrameFiles::All && ok_) ok_ = Write(frame_);
        dirty_ = {};
        pause_.reset();
    }

    bool OutsideUnchanged() const {
        const std::size_t px = sizeof(std::uint32_t);
        for (int y = 0; y < box_.h; ++y) {
            const std::uint32_t* now = box_.row(y);
            const std::uint32_t* was = &start_[static_cast<std::size_t>(y) * box_.w];
            if (y < target_.top || y >= target_.bottom) {
                if (std::memcmp(now, was, px * box_.w) != 0) return false;
            } else if (std::memcmp(now, was, px * target_.left) != 0 ||
                       std::memcmp(now + target_.right, was + target_.right,
                                   px * (box_.w - target_.right)) != 0) {
                return false;
            }
        }
        return true;
    }

    bool Write(int frame) const {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%04d.png", frame);
        return WritePng(dir_ / name, box_);
    }

    Box& box_;
    const std::vector<std::uint32_t> start_;
    im::Rect target_;
    const im::FxPlan& plan_;
    FrameFiles files_;
    std::filesystem::path dir_;
    std::int64_t now_ = 0, due_ = 0;
    int frame_ = 0;
    im::Rect dirty_;
    std::optional<int> pause_;
    bool outsideUnchanged_ = true;
    bool ok_ = true;
};

std::optional<core::Bitmap> OpenSlide(const std::string& path, int boxW, int boxH) {
    auto opened = OpenPicture(path, OpenOptions{});
    if (!opened) return std::nullopt;
    auto slide = AsSlide(std::move(opened->decoded.picture), boxW, boxH);
    if (!slide) {
        std::fprintf(stderr, "vistrel-cli: %s: %s\n", path.c_str(), slide.message().c_str());
        return std::nullopt;
    }
    return std::move(slide).value();
}

void PrintHeader(const Args& a, std::uint64_t seed, const im::Rect& target,
                 const fx::SlideEffect& s, const im::FxPlan& plan, std::uint64_t oldHash) {
    char picked[128] = "null";
    if (s.picked)
        std::snprintf(picked, sizeof picked, "{\"effect\":%d,\"option\":%d,\"grain\":%u}",
                      s.picked->Effect, s.picked->Option, static_cast<unsigned>(s.picked->Grain));
    std::printf("{\"entry\":%d,\"speed\":%d,\"seed\":%llu,\"box\":[%d,%d],\"target\":[%d,%d,%d,%d],"
                "\"picked\":%s,\"draw\":{\"call\":\"%s\",\"effect\":%d,\"option\":%d,"
                "\"grain\":%u,\"pace\":%d,\"pause\":%d},\"frames\":%zu,\"duration_ms\":%lld,"
                "\"old_hash\":\"%016llx\"}\n",
                s.entry, a.speed.value_or(1), static_cast<unsigned long long>(seed), a.boxW, a.boxH,
                target.left, target.top, target.right, target.bottom, picked,
                s.withEffect ? "ImgDrawImageFX" : "ImgDrawImage", s.draw.Effect, s.draw.Option,
                static_cast<unsigned>(s.draw.Grain), s.draw.Pace, s.draw.Pause, plan.frames.size(),
                static_cast<long long>(plan.durationMs), static_cast<unsigned long long>(oldHash));
}

// The box without a clock, for the previous slide.
class StillSurface final : public im::DrawSurface {
  public:
    explicit StillSurface(Box& box) : box_(box) {}
    im::Frame32View Pixels() override { return box_.view(); }
    void Present(const im::Rect&) override {}
    std::int64_t NowMs() override { return 0; }
    void SleepUntilMs(std::int64_t) override {}

  private:
    Box& box_;
};

int Transition(const Args& a) {
    const std::string& oldSpec = a.files[0];
    const std::string& newSpec = a.files[1];
    const std::filesystem::path dir = a.files[2];
    std::optional<std::uint32_t> oldColour;
    if (IsColourSpec(oldSpec) && !(oldColour = ParseColour(oldSpec)))
        return Usage("a colour is color:RRGGBB (six hex digits)");
    if (IsColourSpec(newSpec)) return Usage("NEW is a picture file, not a colour");

    Box box;
    box.w = a.boxW;
    box.h = a.boxH;
    const std::uint32_t background = oldColour.value_or(kDefaultBackground);
    box.pixels.assign(static_cast<std::size_t>(box.w) * box.h, background);

    // The previous slide, drawn as the show drew it.
    std::optional<im::Rect> oldPlace;
    if (!oldColour) {
        const auto oldPicture = OpenSlide(oldSpec, box.w, box.h);
        if (!oldPicture) return kExitFailed;
        oldPlace = Placement(oldPicture->width(), oldPicture->height(), box.w, box.h);
        StillSurface still(box);
        const im::Rect all{0, 0, oldPicture->width(), oldPicture->height()};
        if (im::DrawPicture(*oldPicture, still, *oldPlace, all) != im::IMG_OK) {
            std::fprintf(stderr, "vistrel-cli: cannot draw %s\n", oldSpec.c_str());
            return kExitFailed;
        }
    }
    const auto slide = OpenSlide(newSpec, box.w, box.h);
    if (!slide) return kExitFailed;
    const int w = slide->width(), h = slide->height();
    const im::Rect target = Placement(w, h, box.w, box.h), source{0, 0, w, h};
    // A smaller picture after a larger one: the box is cleared first.
    if (oldPlace && (w < oldPlace->width() || h < oldPlace->height()))
        std::fill(box.pixels.begin(), box.pixels.end(), background);

    if (a.frames != FrameFiles::None) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) {
            std::fprintf(stderr, "vistrel-cli: cannot create %s: %s\n", dir.string().c_str(),
                         ec.message().c_str());
            return kExitFailed;
        }
    }

    // One slide of a bookmark show with only this entry selected.
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::RandomSource& rng = fx::ProgramRandom();
    const std::uint64_t seed = a.seed.value_or(fx::StartSeed());
    rng.Reseed(seed);
    fx::SlideEffectChooser chooser(c.table, {static_cast<std::uint8_t>(*a.entry)});
    fx::ResolveContext ctx;
    ctx.speed = a.speed.value_or(1);
    ctx.width = w;
    ctx.height = h;
    ctx.screenWidth = box.w; // the show runs on the whole screen
    const fx::SlideEffect s = chooser.NextFromSelection(rng, ctx);
    const im::FxParams params{s.draw.Effect, s.draw.Option, s.draw.Grain,
                              s.draw.Pace,   s.draw.Pause,  s.renderSeed};
    im::FxPlan plan;
    if (s.withEffect) {
        plan = im::MakePlan(params, w, h);
    } else {
        plan.frames.push_back({1, 0, false});
    }
    PrintHeader(a, seed, target, s, plan, Hash(box, target));

    Recorder recorder(box, target, plan, a.frames, dir);
    int drawn = im::IMG_OK;
    if (s.withEffect) {
        const im::FxCallback pace = [&](int, int, int pauseMs) { return recorder.Paced(pauseMs); };
        drawn = im::DrawPictureFX(*slide, recorder, target, source, params,
                                  s.draw.Pause != 255 ? &pace : nullptr);
    } else {
        drawn = im::DrawPicture(*slide, recorder, target, source);
    }
    if (drawn != im::IMG_OK) {
        std::fprintf(stderr, "vistrel-cli: the draw failed (%s)\n",
                     drawn == im::IMG_NO_MEMORY ? "insufficient memory" : "bad arguments");
        return kExitFailed;
    }
    recorder.Finish();

    // The new picture exactly, where the show puts it.
    auto expected = im::PictureTo32(*slide, source, w, h);
    bool finalEqualsNew = expected.ok();
    for (int y = 0; finalEqualsNew && y < h; ++y)
        finalEqualsNew = std::memcmp(box.row(target.top + y) + target.left,
                                     &expected.value()[static_cast<std::size_t>(y) * w],
                                     sizeof(std::uint32_t) * w) == 0;
    std::printf("{\"final_equals_new\":%s,\"outside_unchanged\":%s}\n",
                finalEqualsNew ? "true" : "false", recorder.outsideUnchanged() ? "true" : "false");
    if (std::fflush(stdout) != 0 || !recorder.ok()) return kExitFailed;
    return kExitOk;
}

// A picture whose neighbouring pixels differ.
std::vector<std::uint32_t> Noise(int w, int h, std::uint32_t salt) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::uint32_t>((i + salt) * 2654435761u) & 0xFFFFFF;
    return out;
}

int Bench(const Args& a) {
    using Clock = std::chrono::steady_clock;
    const int w = a.benchW, h = a.benchH;
    std::vector<std::uint32_t> oldPix, newPix, surface;
    try {
        oldPix = Noise(w, h, 1);
        newPix = Noise(w, h, 7);
        surface.resize(oldPix.size());
    } catch (const std::bad_alloc&) {
        std::fputs("vistrel-cli: insufficient memory\n", stderr);
        return kExitFailed;
    }
    const im::Frame32View oldView{oldPix.data(), w, h, w}, newView{newPix.data(), w, h, w};
    const im::Frame32View target{surface.data(), w, h, w};
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::RandomSource rng(a.seed.value_or(1));
    const int firstEntry = a.entry.value_or(0),
              lastEntry = a.entry.value_or(fx::kCatalogueSize - 1);
    const int firstSpeed = a.speed.value_or(0), lastSpeed = a.speed.value_or(3);
    std::printf("# %d x %d, frames per second of the whole effect (renderer set-up included)\n"
                "entry\tfaster\tnormal\tslower\tslowest\tall\tname\n",
                w, h);
    struct Rate {
        double fps;
        int entry;
    };
    std::vector<Rate> rates;
    for (int entry = firstEntry; entry <= lastEntry; ++entry) {
        fx::SlideEffectChooser chooser(c.table, {static_cast<std::uint8_t>(entry)});
        std::string perSpeed;
        double allSeconds = 0;
        long long allFrames = 0;
        for (int speed = 0; speed <= 3; ++speed) {
            if (speed < firstSpeed || speed > lastSpeed) {
                perSpeed += "-\t";
                continue;
            }
            fx::ResolveContext ctx;
            ctx.speed = speed;
            ctx.width = w;
            ctx.height = h;
            ctx.screenWidth = w;
            const fx::SlideEffect s = chooser.NextFromSelection(rng, ctx);
            const im::FxParams p{s.draw.Effect, s.draw.Option, s.draw.Grain,
                                 s.draw.Pace,   s.draw.Pause,  s.renderSeed};
            const im::FxPlan plan = im::MakePlan(p, w, h);
            // Repeated until it has run long enough to time.
            double seconds = 0;
            long long frames = 0;
            while (seconds < 0.02) {
                std::memcpy(surface.data(), oldPix.data(), sizeof(std::uint32_t) * oldPix.size());
                const auto t0 = Clock::now();
                im::TransitionRenderer r(p, oldView, newView);
                for (const im::PlannedFrame& f : plan.frames)
                    r.Render(f.step, target);
                seconds += std::chrono::duration<double>(Clock::now() - t0).count();
                frames += static_cast<long long>(plan.frames.size());
            }
            char cell[32];
            std::snprintf(cell, sizeof cell, "%.0f\t", frames / seconds);
            perSpeed += cell;
            // Each speed counts once, however often it ran.
            allSeconds += seconds / (static_cast<double>(frames) / plan.frames.size());
            allFrames += static_cast<long long>(plan.frames.size());
        }
        const double fps = allFrames / allSeconds;
        rates.push_back({fps, entry});
        std::printf("%d\t%s%.0f\t%s\n", entry, perSpeed.c_str(), fps, c.names[entry].c_str());
        std::fflush(stdout);
    }
    std::vector<Rate> sorted = rates;
    std::sort(sorted.begin(), sorted.end(),
              [](const Rate& x, const Rate& y) { return x.fps < y.fps; });
    const std::size_t n = sorted.size();
    const double median =
        n % 2 ? sorted[n / 2].fps : (sorted[n / 2 - 1].fps + sorted[n / 2].fps) / 2;
    std::printf("# slowest: entry %d (%s) %.0f frames/s; median %.0f frames/s\n", sorted[0].entry,
                c.names[sorted[0].entry].c_str(), sorted[0].fps, median);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

} // namespace

void PrintTransitionUsage(std::FILE* to) {
    std::fputs("  vistrel-cli transition OLD NEW OUTDIR --entry E [--speed S] [--box WxH]\n"
               "        [--seed N] [--frames all|last|none]\n"
               "  vistrel-cli transition --bench [--size WxH] [--entry E] [--speed S] [--seed N]\n"
               "\n"
               "transition draws NEW (a picture file) as one slide of a show with only entry E\n"
               "selected, at Effects speed S (default 1, Normal), over OLD (a picture file shown\n"
               "as the slide before, or color:RRGGBB filling the box) in a box of W x H (default\n"
               "640x480), on a virtual clock. It prints one JSON object a line: the draw, each\n"
               "frame (step, due time, the pacing callback's pause, the changed rectangle, the\n"
               "FNV-1a 64 hash of the target) and the checks; frame_NNNN.png go into OUTDIR\n"
               "(all, only the last, or none; default all). --bench prints the frames per\n"
               "second of every entry at every speed at W x H (default 1920x1080).\n",
               to);
}

int TransitionCommand(int argc, char** argv) {
    int status = kExitUsage;
    const auto args = ParseArgs(argc, argv, &status);
    if (!args) return status;
    try {
        return args->bench ? Bench(*args) : Transition(*args);
    } catch (const std::bad_alloc&) {
        std::fputs("vistrel-cli: insufficient memory\n", stderr);
        return kExitFailed;
    }
}

} // namespace cli
