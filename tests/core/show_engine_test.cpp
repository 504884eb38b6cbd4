// The show loop on a virtual clock with a scripted host: refusals, captions
// and wrap-around, placement and clearing, the hold times, skip and stop,
// and the order of the end steps.
#include "core/slideshow/show_engine.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>

#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fx = core::slideshow;

namespace {

struct Pic {
    int w = 100, h = 100;
    fx::SlideKind kind = fx::SlideKind::Picture;
    fx::LoadResult load = fx::LoadResult::Ok;
};

class ScriptedHost : public fx::ShowHost {
  public:
    fx::ShowEngine* engine = nullptr;
    std::int64_t now = 0;
    int boxW = 800, boxH = 600;
    bool answer = true;
    std::map<std::string, Pic> pics;
    std::vector<std::pair<std::int64_t, char>> events; // 's' stop, 'k' skip, by time
    std::vector<std::string> calls;
    std::vector<std::string> captions;
    std::vector<int> selected;
    std::vector<std::int64_t> drawTimes;
    fx::DrawOutcome drawOutcome = fx::DrawOutcome::Done;
    bool stopDuringEffect = false;
    int events_run = 0;

    void Fire() {
        ++events_run;
        while (!events.empty() && events.front().first <= now) {
            if (events.front().second == 's')
                engine->RequestStop();
            else
                engine->RequestSkip();
            events.erase(events.begin());
        }
    }
    bool Ask(const std::string& q) override {
        calls.push_back("ask:" + q);
        return answer;
    }
    void Message(const std::string& t) override { calls.push_back("message:" + t); }
    void OpenHelp(int c) override { calls.push_back("help:" + std::to_string(c)); }
    void EnterFullScreenIfAsked() override { calls.push_back("fullscreen"); }
    void CloseLibraryImage() override { calls.push_back("close"); }
    void PrepareWindow() override { calls.push_back("prepare"); }
    bool restoreThrows = false;
    void RestoreWindow() override {
        calls.push_back("restore");
        if (restoreThrows) throw std::runtime_error("bars gone");
    }
    void ReopenCurrent() override { calls.push_back("reopen"); }
    void Box(int* w, int* h) override { *w = boxW, *h = boxH; }
    void SetCaption(const std::string& c) override { captions.push_back(c); }
    void SelectBookmark(int i) override { selected.push_back(i); }
    fx::SlideKind Probe(const std::string& f) override {
        auto it = pics.find(f);
        return it == pics.end() ? fx::SlideKind::Unreadable : it->second.kind;
    }
    fx::LoadedSlide Load(const std::string& f, int, int, int) override {
        const Pic& p = pics.at(f);
        return {p.load, p.w, p.h};
    }
    void Fill(std::uint32_t) override { calls.push_back("fill"); }
    bool matchFill = false; // an 8-bit display with its own palette per slide
    bool MatchDisplay() override { return matchFill; }
    fx::DrawOutcome Draw(const fx::Rect&, const fx::Rect&, const fx::SlideEffect& e,
                         const core::imageman::FxCallback* cb) override {
        calls.push_back(e.withEffect ? "drawfx" : "draw");
        drawTimes.push_back(now);
        if (stopDuringEffect) engine->RequestStop();
        if (cb && (*cb)(1, 2, e.draw.Pause) != 0) return fx::DrawOutcome::Stopped;
        return drawOutcome;
    }
    fx::MediaOutcome PlayMedia(const fx::MediaSlide&) override {
        return fx::MediaOutcome::NoPlayer;
    }
    std::int64_t NowMs() override { return now; }
    void ProcessEvents() override { Fire(); }
    void WaitEvents(std::int64_t until) override {
        std::int64_t next = events.empty() ? until : std::min(until, events.front().first);
        now = std::max(now, next);
        Fire();
    }
    void Sleep(int ms) override { now += ms; }
};

struct Show {
    ScriptedHost host;
    fx::ShowSettings settings;
    fx::EffectCatalogue cat = fx::BuildEffectCatalogue();
    fx::RandomSource rng{7};
    fx::ShowEngine engine{host, settings, cat.table, rng};
    fx::ShowRequest req;
    std::vector<fx::SlideRecord> slides;
    std::vector<int> skips;

    Show() {
        host.engine = &engine;
        engine.onSlide = [this](const fx::SlideRecord& r) { slides.push_back(r); };
        engine.onSkip = [this](int i) { skips.push_back(i); };
    }
    void Bookmarks(std::vector<std::pair<std::string, Pic>> list, int current = -1) {
        for (auto& [n, p] : list) {
            req.bookmarks.push_back(n);
            host.pics[n] = p;
        }
        req.currentBookmark = current;
    }
    fx::ShowResult Run() { return engine.Run(req); }
};

TEST(ShowEngine, RefusesWithoutSlidesOrWhenTheEditIsKept) {
    Show s;
    auto r = s.Run();
    EXPECT_EQ(r.end, fx::ShowEnd::NotStarted);
    // The library image stays open: no close before the refusal.
    EXPECT_EQ(s.host.calls,
              (std::vector<std::string>{"fullscreen", std::string("ask:") + fx::kTooFewSlides,
                                        "help:110"}));

    Show u;
    u.Bookmarks({{"a.jpg", {}}});
    u.req.unsavedChanges = true;
    u.host.answer = false;
    EXPECT_EQ(u.Run().end, fx::ShowEnd::NotStarted);
    EXPECT_EQ(u.host.calls, (std::vector<std::string>{std::string("ask:") + fx::kUnsavedQuestion}));
    EXPECT_TRUE(u.slides.empty());
}

TEST(ShowEngine, WrapsRoundTheBookmarksAndLeavesTheSelectionOnTheLastSlide) {
    Show s;
    s.Bookmarks({{"/p/a.jpg", {}}, {"/p/b.jpg", {}}, {"/p/c.jpg", {}}}, 1);
    s.settings.slideDelay = 0; // 50 ms
    s.req.selection = {0};     // drawn plainly: the effects take no time
    s.host.events = {{50 * 4 + 1, 's'}};
    auto r = s.Run();
    EXPECT_EQ(r.end, fx::ShowEnd::Stopped);
    EXPECT_EQ(s.host.selected, (std::vector<int>{2, 0, 1, 2, 0}));
    ASSERT_GE(s.host.captions.size(), 2u);
    EXPECT_EQ(s.host.captions[0], "Slide 3 of 3 - /p/c.jpg");
    EXPECT_EQ(s.host.captions[1], "Slide 1 of 3 - /p/a.jpg");
    EXPECT_EQ(r.lastIndex, 0);
    // The end steps: restore, then the entry reopened.
    ASSERT_GE(s.host.calls.size(), 2u);
    EXPECT_EQ(s.host.calls[s.host.calls.size() - 2], "restore");
    EXPECT_EQ(s.host.calls.back(), "reopen");
}

TEST(ShowEngine, OneEntryIsShownAgainAfterEachDelay) {
    Show s;
    s.Bookmarks({{"a", {}}});
    s.settings.slideDelay = 2000;
    s.req.selection = {0};
    s.host.events = {{5000, 's'}};
    s.Run();
    EXPECT_EQ(s.host.drawTimes, (std::vector<std::int64_t>{0, 2000, 4000}));
    EXPECT_EQ(s.host.captions.back(), "Slide 1 of 1 - a");
}

TEST(ShowEngine, HoldTimesSkipAndStop) {
    EXPECT_EQ(fx::HoldMs(0), 50);
    EXPECT_EQ(fx::HoldMs(1), 7'200'000);
    EXPECT_EQ(fx::HoldMs(2), 2);

    // Two hours each unless skipped; a right click shows the next at once.
    Show s;
    s.Bookmarks({{"a", {}}, {"b", {}}});
    s.settings.slideDelay = 1;
    s.req.selection = {0};
    s.host.events = {{1000, 'k'}, {1500, 'k'}, {7'201'600, 's'}};
    auto r = s.Run();
    EXPECT_EQ(s.host.drawTimes, (std::vector<std::int64_t>{0, 1000, 1500, 7'201'500}));
    EXPECT_EQ(s.skips, (std::vector<int>{0, 1}));
    EXPECT_EQ(r.end, fx::ShowEnd::Stopped);
    EXPECT_EQ(r.slidesDrawn, 4);
}

TEST(ShowEngine, ClearsBeforeASmallerPictureAndDrawsTinyOnesPlainly) {
    Show s;
    s.Bookmarks(
        {{"big", {200, 200}}, {"narrow", {64, 300}}, {"same", {65, 300}}, {"low", {300, 64}}});
    s.settings.slideDelay = 0;
    s.req.selection = {8}; // a wipe, always with an effect
    s.req.passes = 1;
    s.Run();
    ASSERT_EQ(s.slides.size(), 4u);
    EXPECT_FALSE(s.slides[0].cleared);
    EXPECT_TRUE(s.slides[1].cleared);  // narrower
    EXPECT_FALSE(s.slides[2].cleared); // as wide, as high
    EXPECT_TRUE(s.slides[3].cleared);  // lower
    EXPECT_TRUE(s.slides[0].effect.withEffect);
    EXPECT_FALSE(s.slides[1].effect.withEffect);
    EXPECT_TRUE(s.slides[2].effect.withEffect);
    EXPECT_FALSE(s.slides[3].effect.withEffect);
    // Centred in the 800 x 600 box.
    EXPECT_EQ(s.slides[0].target.left, 300);
    EXPECT_EQ(s.slides[0].target.top, 200);
    EXPECT_EQ(s.slides[0].target.right, 500);
}

TEST(ShowEngine, LoadFailuresAndUnreadableSlidesEndABookmarkShowWithTheMessage) {
    Show s;
    s.Bookmarks({{"a", {}}, {"b", {100, 100, fx::SlideKind::Picture, fx::LoadResult::Failed}}});
    s.settings.slideDelay = 0;
    auto r = s.Run();
    EXPECT_EQ(r.end, fx::ShowEnd::LoadFailed);
    const auto& c = s.host.calls;
    ASSERT_GE(c.size(), 2u);
    EXPECT_EQ(c[c.size() - 2], "restore");
    EXPECT_EQ(c.back(), "message:Invalid file!\nSlide 2 of 2 - b");

    Show u;
    u.Bookmarks({{"missing", {}}});
    u.host.pics.clear();
    EXPECT_EQ(u.Run().end, fx::ShowEnd::Unreadable);
    EXPECT_EQ(u.host.calls.back(), "message:Invalid file!\nSlide 1 of 1 - missing");
}

TEST(ShowEngine, DrawFailureAndAStoppedEffect) {
    Show s;
    s.Bookmarks({{"a", {}}});
    s.host.drawOutcome = fx::DrawOutcome::Failed;
    EXPECT_EQ(s.Run().end, fx::ShowEnd::DrawFailed);

    // A stop inside a paced effect ends quietly: no message box.
    Show q;
    q.Bookmarks({{"a", {}}});
    q.req.selection = {12}; // a Reveal wipe: paced at Normal speed
    q.host.stopDuringEffect = true;
    auto r = q.Run();
    EXPECT_EQ(r.end, fx::ShowEnd::Stopped);
    for (const auto& call : q.host.calls)
        EXPECT_EQ(call.rfind("message:", 0), std::string::npos);
    EXPECT_EQ(q.host.calls.back(), "reopen");
}

TEST(ShowEngine, ClipsWithoutAPlayerAreSkippedAndTheShowStaysStoppable) {
    Show s;
    s.Bookmarks({{"clip.avi", {0, 0, fx::SlideKind::Media}}});
    s.host.events = {{3000, 's'}};
    auto r = s.Run();
    EXPECT_EQ(r.end, fx::ShowEnd::Stopped);
    EXPECT_EQ(r.slidesDrawn, 0);
    // Nothing to show: each cycle waits instead of spinning.
    EXPECT_GE(s.host.now, 3000);
    EXPECT_LE(s.host.events_run, 3000 / fx::kIdleCycleMs * 4 + 10);
}

TEST(ShowEngine, ScriptShowPlaysItsSlidesSkipsTheUnreadableAndKeepsItsDelay) {
    const auto dir = testsupport::TempDir("show_script");
    std::ofstream(dir / "a.jpg") << "x";
    std::ofstream(dir / "s.avl") << "[Header]\nVer=7\nN=4\n[Directory]\n0=" << dir.string()
                                 << "/\n[0]\nF=a.jpg,0\nW=0\nP=700,10\n[1]\nF=none\n"
                                    "[2]\nF=a.jpg,\nW=3\nP=10,20\nB=0000FF\n[3]\nF=never,0\n";
    const fx::SlideScript script(dir / "s.avl");
    Show s;
    const std::string a = (dir / "a.jpg").string();
    s.host.pics[a] = Pic{200, 100};
    s.req.script = &script;
    s.req.selection = {8}; // ignored: a script names its own transitions
    s.host.events = {{3100, 's'}};
    const auto r = s.Run();
    EXPECT_EQ(r.end, fx::ShowEnd::Stopped);
    ASSERT_GE(s.slides.size(), 4u);
    EXPECT_EQ(s.slides[0].caption, "Slide 1 of 3 - " + a);
    EXPECT_EQ(s.slides[1].caption, "Slide 2 of 3 - ------------------------------");
    EXPECT_FALSE(s.slides[1].shown);
    EXPECT_EQ(s.slides[3].index, 0); // wrapped: section 3 is never played
    EXPECT_EQ(s.host.drawTimes[0], 0);
    EXPECT_EQ(s.host.drawTimes[1], 50); // W = 0: 50 ms
    // A position where the picture does not fit is not used; one where it does is.
    EXPECT_EQ(s.slides[0].target.left, 300);
    EXPECT_EQ(s.slides[2].target.left, 10);
    EXPECT_EQ(s.slides[2].target.top, 20);
    EXPECT_TRUE(s.slides[2].cleared);
    EXPECT_EQ(s.slides[2].showBackground, 0x0000FFu);
    EXPECT_EQ(s.settings.slideDelay, 0); // the last slide's delay stays
    EXPECT_TRUE(s.host.selected.empty());
}

TEST(ShowEngine, AScriptWithNothingToShowWaitsBetweenCyclesAndStops) {
    const auto dir = testsupport::TempDir("show_script_empty");
    std::ofstream(dir / "s.avl") << "[Header]\nVer=7\nN=3\n[0]\nF=x,0\n[1]\nF=y,0\n";
    const fx::SlideScript script(dir / "s.avl");
    Show s;
    s.req.script = &script;
    s.host.events = {{1000, 's'}};
    const auto r = s.Run();
    EXPECT_EQ(r.end, fx::ShowEnd::Stopped);
    EXPECT_EQ(r.slidesDrawn, 0);
    EXPECT_EQ(r.passes, 4); // one 250 ms wait a cycle
    EXPECT_EQ(s.host.now, 1000);
}

TEST(ShowEngine, AFailingRestoreIsReportedAndTheWindowStays) {
    Show s;
    s.Bookmarks({{"a", {}}});
    s.req.passes = 1;
    s.host.restoreThrows = true;
    const auto r = s.Run();
    EXPECT_EQ(r.end, fx::ShowEnd::Stopped);
    const auto& c = s.host.calls;
    ASSERT_GE(c.size(), 3u);
    EXPECT_EQ(c[c.size() - 3], "restore");
    EXPECT_NE(c[c.size() - 2].find("bars gone"), std::string::npos);
    EXPECT_EQ(c.back(), "reopen"); // the rest of the end still runs
    EXPECT_FALSE(s.engine.running());
}

} // namespace

TEST(ShowEngine, AnEightBitDisplayFillsBeforeEverySlideWhenItAsks) {
    Show s;
    s.Bookmarks({{"a", {}}, {"b", {}}});
    s.host.matchFill = true;
    s.req.passes = 1;
    s.Run();
    std::vector<std::string> beforeDraw;
    for (std::size_t i = 1; i < s.host.calls.size(); ++i)
        if (s.host.calls[i].rfind("draw", 0) == 0) beforeDraw.push_back(s.host.calls[i - 1]);
    EXPECT_EQ(beforeDraw, (std::vector<std::string>{"fill", "fill"}));
    ASSERT_EQ(s.slides.size(), 2u);
    EXPECT_TRUE(s.slides[1].cleared);
}
