#include "cli/avl_command.h"

#include "cli/effects_command.h"
#include "cli/open_picture.h"
#include "core/app/settings.h"
#include "core/input/jpeg_decoder.h"
#include "core/slideshow/show_engine.h"
#include "core/view/geometry.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace cli {

namespace {

namespace fx = core::slideshow;

std::string Json(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string Colour(std::uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "\"0x%08X\"", c);
    return buf;
}

// The show with nothing on screen: pictures are probed and decoded as the
// window would, sized into the box, and the clock is virtual.
class PlanHost : public fx::ShowHost {
  public:
    PlanHost(int w, int h) : boxW_(w), boxH_(h) {}

    bool Ask(const std::string&) override { return false; }
    void Message(const std::string&) override {}
    void OpenHelp(int) override {}
    void EnterFullScreenIfAsked() override {}
    void CloseLibraryImage() override {}
    void PrepareWindow() override {}
    void RestoreWindow() override {}
    void ReopenCurrent() override {}
    void Box(int* w, int* h) override { *w = boxW_, *h = boxH_; }
    void SetCaption(const std::string&) override {}
    void SelectBookmark(int) override {}
    fx::SlideKind Probe(const std::string& file) override {
        core::OpenEnvironment env;
        env.ScreenBits = 24;
        core::JpegDecoder jpeg;
        core::OpenPipeline pipeline(jpeg);
        core::DocumentState doc;
        doc.CurrentFile = file;
        const core::ProbeResult p = pipeline.ProbeFile(doc, env);
        if (p.result == 2) return fx::SlideKind::Media;
        return p.result < 0 ? fx::SlideKind::Unreadable : fx::SlideKind::Picture;
    }
    fx::LoadedSlide Load(const std::string& file, int w, int h, int) override {
        OpenOptions o;
        o.decodeBox = std::make_pair(w, h);
        auto opened = OpenPicture(file, o);
        if (!opened) return {};
        int pw = opened->decoded.picture.width(), ph = opened->decoded.picture.height();
        if (pw > w || ph > h) {
            const auto fit = core::ScaleToFit(pw, ph, w, h);
            pw = fit.width;
            ph = fit.height;
        }
        return {fx::LoadResult::Ok, pw, ph};
    }
    void Fill(std::uint32_t) override {}
    fx::DrawOutcome Draw(const fx::Rect&, const fx::Rect&, const fx::SlideEffect&,
                         const core::imageman::FxCallback*) override {
        return fx::DrawOutcome::Done;
    }
    // Clips are not played here: as without a player.
    fx::MediaOutcome PlayMedia(const fx::MediaSlide&) override {
        return fx::MediaOutcome::NoPlayer;
    }
    std::int64_t NowMs() override { return now_; }
    void ProcessEvents() override {}
    void WaitEvents(std::int64_t until) override { now_ = std::max(now_, until); }
    void Sleep(int ms) override { now_ += ms; }

  private:
    int boxW_, boxH_;
    std::int64_t now_ = 0;
};

void PrintSlide(const fx::SlideRecord& r) {
    std::string line = "{\"section\":" + Json(std::to_string(r.index));
    line += ",\"caption\":" + Json(r.caption);
    const bool hasFile = !r.file.empty() && r.file != fx::kNoSlideName;
    line += ",\"file\":" + (hasFile ? Json(r.file) : std::string("null"));
    line += ",\"skip_reason\":" + (r.shown ? std::string("null") : Json(r.skipReason));
    line += ",\"background\":" + (r.background ? Colour(*r.background) : std::string("null"));
    line += ",\"gamma\":" + std::to_string(r.gamma);
    line += ",\"zoom\":" + std::to_string(r.zoom);
    line += ",\"position\":" + (r.x >= 0 && r.y >= 0
                                    ? "[" + std::to_string(r.x) + "," + std::to_string(r.y) + "]"
                                    : std::string("null"));
    line += ",\"delay_ms\":" + std::to_string(r.delayMs);
    line += ",\"hold_ms\":" + std::to_string(r.holdMs);
    line += ",\"code\":" + std::to_string(r.code);
    line += ",\"entries\":[";
    const auto entries = fx::TransitionEntries(r.code);
    for (std::size_t i = 0; i < entries.size(); ++i)
        line += (i ? "," : "") + std::to_string(entries[i]);
    line += "]";
    line += ",\"show_background\":" + Colour(r.showBackground);
    if (r.shown && r.kind == fx::SlideKind::Picture) {
        const auto& d = r.effect.draw;
        line += ",\"entry\":" + std::to_string(r.effect.entry);
        line += ",\"target\":[" + std::to_string(r.target.left) + "," +
                std::to_string(r.target.top) + "," + std::to_string(r.target.right) + "," +
                std::to_string(r.target.bottom) + "]";
        line +=
            ",\"draw\":{\"with_effect\":" + std::string(r.effect.withEffect ? "true" : "false") +
            ",\"effect\":" + std::to_string(d.Effect) + ",\"option\":" + std::to_string(d.Option) +
            ",\"grain\":" + std::to_string(d.Grain) + ",\"pace\":" + std::to_string(d.Pace) +
            ",\"pause\":" + std::to_string(d.Pause) + "}";
    } else {
        line += ",\"entry\":null,\"target\":null,\"draw\":null";
    }
    std::printf("%s}\n", line.c_str());
}

} // namespace

void PrintAvlUsage(std::FILE* to) {
    std::fputs("  vistrel-cli avl SCRIPT.avl [--speed S] [--box WxH] [--seed N]\n"
               "      the play plan of one pass of a slideshow script, as JSON lines\n",
               to);
}

int AvlCommand(int argc, char** argv) {
    std::string path;
    int speed = 1, boxW = 1920, boxH = 1080;
    std::uint64_t seed = 1;
    for (int i = 2; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--speed") == 0 && hasValue) {
            auto s = ParseSpeed(argv[++i]);
            if (!s) return PrintAvlUsage(stderr), 2;
            speed = *s;
        } else if (std::strcmp(a, "--box") == 0 && hasValue) {
            if (!ParseSize(argv[++i], &boxW, &boxH)) return PrintAvlUsage(stderr), 2;
        } else if (std::strcmp(a, "--seed") == 0 && hasValue) {
            auto s = ParseSeed(argv[++i]);
            if (!s) return PrintAvlUsage(stderr), 2;
            seed = *s;
        } else if (a[0] == '-' || !path.empty()) {
            return PrintAvlUsage(stderr), 2;
        } else {
            path = a;
        }
    }
    if (path.empty()) return PrintAvlUsage(stderr), 2;

    const fx::SlideScript script(path);
    const int ver = script.ScriptVersion();
    if (ver != fx::kScriptVersion) {
        std::printf("%s\n", fx::kScriptVersionWarning);
        return 1;
    }
    const std::int64_t n = script.ScriptSlideCount();
    if (n < 2) {
        std::printf("%s\n", fx::kTooFewSlides);
        return 1;
    }
    std::printf("{\"ver\":%d,\"n\":%lld,\"slides\":%lld}\n", ver, static_cast<long long>(n),
                static_cast<long long>(n - 1));

    PlanHost host(boxW, boxH);
    core::SettingsRecord defaults;
    fx::ShowSettings settings;
    settings.slideDelay = defaults.SlideDelay;
    settings.background = defaults.Background;
    settings.effectsSpeed = speed;
    settings.screenWidth = boxW;
    const fx::EffectCatalogue cat = fx::BuildEffectCatalogue();
    fx::RandomSource rng(seed);
    fx::ShowEngine engine(host, settings, cat.table, rng);
    engine.onSlide = PrintSlide;
    fx::ShowRequest req;
    req.script = &script;
    req.passes = 1;
    engine.Run(req);
    return 0;
}

} // namespace cli
