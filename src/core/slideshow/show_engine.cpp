#include "core/slideshow/show_engine.h"

#include <algorithm>
#include <exception>

namespace core::slideshow {

const char* ShowEndName(ShowEnd end) {
    switch (end) {
    case ShowEnd::NotStarted:
        return "not started";
    case ShowEnd::Stopped:
        return "stopped";
    case ShowEnd::LoadFailed:
        return "load failed";
    case ShowEnd::Unreadable:
        return "invalid file";
    case ShowEnd::DrawFailed:
        return "draw failed";
    }
    return "";
}

int ShowEngine::SlideWait(std::int64_t ms) {
    skip_ = false;
    const std::int64_t start = host_.NowMs();
    if (stop_) return -1;
    while (!stop_ && !skip_ && host_.NowMs() - start < ms)
        host_.WaitEvents(start + ms);
    return 0;
}

void ShowEngine::Place(const ShowRequest& r, int boxW, int boxH, const LoadedSlide& pic,
                       SlideRecord& rec) {
    const int w = pic.width, h = pic.height;
    int left, top;
    // A script position counts only where the whole picture fits; a negative
    // one would draw off the window.
    if (r.script && rec.x >= 0 && rec.y >= 0 && std::int64_t(rec.x) + w <= boxW &&
        std::int64_t(rec.y) + h <= boxH) {
        left = rec.x;
        top = rec.y;
    } else {
        left = (boxW - w) / 2;
        top = (boxH - h) / 2;
    }
    rec.source = {0, 0, w, h};
    rec.target = rec.source;
    if (w < boxW) {
        rec.target.left += left;
        rec.target.right += left;
    }
    if (h < boxH) {
        rec.target.top += top;
        rec.target.bottom += top;
    }
}

ShowResult ShowEngine::Run(const ShowRequest& r) {
    ShowResult result;
    stop_ = skip_ = clearPending_ = false;

    // An edited picture would be replaced at the end: ask first.
    if (r.unsavedChanges && !host_.Ask(kUnsavedQuestion)) return result;

    host_.EnterFullScreenIfAsked();
    std::uint32_t background = settings_.background;

    std::int64_t count = 0;
    if (r.script) {
        const std::int64_t n = r.script->ScriptSlideCount();
        count = n <= 0 ? n : n - 1; // no overflow at the bottom end
        count = std::min<std::int64_t>(count, 1'000'000'000);
    } else {
        count = static_cast<std::int64_t>(r.bookmarks.size());
    }
    // Refuse before the library image is closed, so an open multi-page
    // picture keeps its pages.
    if (count < 1) {
        if (host_.Ask(kTooFewSlides)) host_.OpenHelp(kHelpMultipleSelection);
        return result;
    }
    host_.CloseLibraryImage();

    running_ = true;
    const int lastIndex = static_cast<int>(count - 1);
    host_.PrepareWindow();
    host_.ProcessEvents();
    host_.Fill(background);
    clearPending_ = false;

    SlideEffectChooser chooser(table_, r.selection);
    host_.ProcessEvents();

    int index = -1;
    int current = r.currentBookmark;
    std::optional<std::string> endMessage;
    int previousW = -1, previousH = -1;
    bool shownThisCycle = false;

    const core::imageman::FxCallback pacing = [this](int, int, int pauseMs) {
        if (!stop_ && pauseMs > 0) host_.Sleep(pauseMs);
        return stop_ ? 1 : 0;
    };

    while (true) {
        host_.ProcessEvents();
        if (stop_) {
            result.end = ShowEnd::Stopped;
            break;
        }
        int boxW = 0, boxH = 0;
        host_.Box(&boxW, &boxH);

        SlideRecord rec;
        std::string file;
        if (r.script) {
            index = index >= lastIndex ? 0 : index + 1;
            const ScriptSlide s = r.script->ReadScriptSlide(index);
            if (s.background) {
                background = *s.background;
                clearPending_ = true;
            }
            rec.background = s.background;
            rec.gamma = s.gamma;
            rec.zoom = s.zoom;
            rec.x = s.x;
            rec.y = s.y;
            rec.code = s.transition;
            settings_.slideDelay = s.delayMs;
            file = s.fileName;
            if (s.skip != SlideSkip::None) rec.skipReason = SkipReasonName(s.skip);
            if (clearPending_) {
                host_.Fill(background);
                clearPending_ = false;
                rec.cleared = true;
            }
        } else {
            const int n = static_cast<int>(r.bookmarks.size());
            index = (current + 1 >= n || current + 1 < 0) ? 0 : current + 1;
            current = index;
            host_.SelectBookmark(index);
            file = r.bookmarks[static_cast<std::size_t>(index)];
        }
        rec.index = index;
        rec.file = file;
        rec.caption = "Slide " + std::to_string(index + 1) + " of " +
                      std::to_string(lastIndex + 1) + " - " + file;
        rec.delayMs = settings_.slideDelay;
        rec.holdMs = HoldMs(settings_.slideDelay);
        rec.showBackground = background;
        host_.SetCaption(rec.caption);
        result.lastCaption = rec.caption;
        result.lastIndex = index;

        const bool endOfCycle = index == lastIndex;
        auto finishPass = [&]() {
            if (endOfCycle) {
                ++result.passes;
                if (r.passes && result.passes >= *r.passes) stop_ = true;
            }
        };

        rec.kind = rec.skipReason.empty() ? host_.Probe(file) : SlideKind::Unreadable;
        MediaOutcome played = MediaOutcome::NoPlayer;
        if (rec.kind == SlideKind::Media) {
            MediaSlide m{file, boxW, boxH, rec.zoom, rec.x, rec.y, r.script != nullptr, background};
            skip_ = false; // a right click skips the clip as it plays
            played = host_.PlayMedia(m);
            // A clip that cannot be played is an unreadable slide.
            if (played == MediaOutcome::Unreadable) {
                rec.kind = SlideKind::Unreadable;
                rec.skipReason = "cannot be played";
            }
        }
        if (rec.kind == SlideKind::Unreadable) {
            if (rec.skipReason.empty()) rec.skipReason = "not a picture";
            if (onSlide) onSlide(rec);
            if (!r.script) {
                endMessage = kInvalidFile + rec.caption;
                result.end = ShowEnd::Unreadable;
                break;
            }
            finishPass();
            // A script none of whose slides can be shown must not spin.
            if (endOfCycle && !shownThisCycle) SlideWait(kIdleCycleMs);
            if (endOfCycle) shownThisCycle = false;
            continue;
        }

        if (rec.kind == SlideKind::Media) {
            if (played == MediaOutcome::Played) {
                rec.shown = true;
                shownThisCycle = true;
                clearPending_ = true;
            } else {
                rec.skipReason = "no media player";
            }
            previousW = previousH = -1;
            if (onSlide) onSlide(rec);
            finishPass();
            if (endOfCycle && !shownThisCycle) SlideWait(kIdleCycleMs);
            if (endOfCycle) shownThisCycle = false;
            continue;
        }

        LoadedSlide pic;
        try {
            pic = host_.Load(file, boxW, boxH, r.script ? rec.gamma : 100);
        } catch (const std::exception&) {
            pic.result = LoadResult::Exception;
        }
        if (pic.result != LoadResult::Ok || pic.width < 1 || pic.height < 1) {
            rec.skipReason = "cannot be loaded";
            if (onSlide) onSlide(rec);
            if (!r.script) {
                // Said after the restore, so the user knows why it ended.
                endMessage = kInvalidFile + rec.caption;
                result.end = ShowEnd::LoadFailed;
                break;
            }
            finishPass();
            if (endOfCycle && !shownThisCycle) SlideWait(kIdleCycleMs);
            if (endOfCycle) shownThisCycle = false;
            continue;
        }

        // A smaller picture would leave parts of the larger one on screen.
        if (!r.script && previousW >= 0 && (pic.width < previousW || pic.height < previousH))
            clearPending_ = true;
        if (clearPending_) {
            host_.Fill(background);
            clearPending_ = false;
            rec.cleared = true;
        }
        if (host_.MatchDisplay()) {
            host_.Fill(background);
            rec.cleared = true;
        }
        previousW = pic.width;
        previousH = pic.height;
        Place(r, boxW, boxH, pic, rec);

        const ResolveContext ctx{settings_.effectsSpeed, pic.width, pic.height,
                                 settings_.screenWidth};
        rec.effect = r.script
                         ? chooser.NextForEntry(ScriptTransitionEntry(rec.code, rng_), rng_, ctx)
                         : chooser.NextFromSelection(rng_, ctx);
        const core::imageman::FxCallback* cb =
            (rec.effect.withEffect && rec.effect.draw.Pause != 255) ? &pacing : nullptr;
        const DrawOutcome drawn = host_.Draw(rec.target, rec.source, rec.effect, cb);
        rec.holdMs = HoldMs(settings_.slideDelay);
        if (drawn == DrawOutcome::Failed) {
            rec.skipReason = "draw failed";
            if (onSlide) onSlide(rec);
            stop_ = true;
            result.end = ShowEnd::DrawFailed;
            break;
        }
        rec.shown = true;
        shownThisCycle = true;
        ++result.slidesDrawn;
        if (onSlide) onSlide(rec);
        if (drawn == DrawOutcome::Stopped) {
            // An effect aborted by a stop ends the show quietly.
            stop_ = true;
            result.end = ShowEnd::Stopped;
            break;
        }
        host_.CloseLibraryImage();
        host_.ProcessEvents();
        finishPass();
        SlideWait(rec.holdMs);
        if (skip_ && !stop_ && onSkip) onSkip(index);
        host_.ProcessEvents();
        if (endOfCycle) shownThisCycle = false;
    }

    running_ = false;
    // Restore best effort: a failure here is reported, the window stays.
    try {
        host_.CloseLibraryImage();
        host_.RestoreWindow();
    } catch (const std::exception& e) {
        host_.Message(std::string("The window could not be fully restored after the show.\n") +
                      e.what());
    }
    try {
        if (endMessage) host_.Message(*endMessage);
        if (!endMessage) host_.ReopenCurrent();
    } catch (const std::exception& e) {
        host_.Message(std::string("The window could not be fully restored after the show.\n") +
                      e.what());
    }
    return result;
}

} // namespace core::slideshow
