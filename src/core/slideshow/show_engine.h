// The slideshow loop: the next slide with wrap-around, its caption, loading,
// placement, the effect, the hold time, skip and stop, and the start and end
// steps. The window (or a recorder) supplies the host, so the whole show runs
// on a virtual clock in tests and in the command-line plan.
#pragma once

#include "core/imageman/imageman.h"
#include "core/slideshow/avl_script.h"
#include "core/slideshow/effect_catalogue.h"
#include "core/slideshow/effect_resolve.h"
#include "core/slideshow/random_source.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace core::slideshow {

using core::imageman::Rect;

enum class SlideKind { Picture, Media, Unreadable };
enum class LoadResult { Ok, Failed, Exception };
enum class DrawOutcome { Done, Stopped, Failed };
// Unreadable: the clip cannot be opened, or it never started playing.
enum class MediaOutcome { Played, NoPlayer, Unreadable };

struct LoadedSlide {
    LoadResult result = LoadResult::Failed;
    int width = 0, height = 0; // as it will be drawn: never larger than the box
};

// Where a media slide goes (the player's bounds are the host's business).
struct MediaSlide {
    std::string file;
    int boxWidth = 0, boxHeight = 0;
    int zoom = 100;
    int x = -1, y = -1;
    bool script = false;
    std::uint32_t background = 0; // the show's, for a fill before a video
};

inline constexpr const char* kUnsavedQuestion = "You have unsaved changes. Continue?";
inline constexpr const char* kTooFewSlides =
    "Two or more slides are required for slideshow.\nShow help regarding multiple file selection?";
inline constexpr const char* kInvalidFile = "Invalid file!\n";
inline constexpr int kHelpMultipleSelection = 110;
// After a whole cycle of a script with nothing shown.
inline constexpr int kIdleCycleMs = 250;

class ShowHost {
  public:
    virtual ~ShowHost() = default;

    // Questions and messages (the window's prompter).
    virtual bool Ask(const std::string& question) = 0; // true = Yes
    virtual void Message(const std::string& text) = 0;
    virtual void OpenHelp(int context) = 0;

    // Start and end steps on the window's side.
    virtual void EnterFullScreenIfAsked() = 0;
    virtual void CloseLibraryImage() = 0;
    virtual void PrepareWindow() = 0; // hand tool, bars, menus and commands off, paint lock
    virtual void RestoreWindow() = 0; // all of that back, exactly as it was
    virtual void ReopenCurrent() = 0; // the bookmark box's entry in the viewer

    // One slide.
    virtual void Box(int* width, int* height) = 0; // the client area now
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SelectBookmark(int index) = 0;
    virtual SlideKind Probe(const std::string& file) = 0;
    // Loads the slide as the library image fitted into the box, with the
    // gamma (100 = as it is).
    virtual LoadedSlide Load(const std::string& file, int boxWidth, int boxHeight, int gamma) = 0;
    virtual void Fill(std::uint32_t colour) = 0;
    // Brings the loaded slide onto the display's colours (8-bit displays);
    // true when the client area must be filled before the draw.
    virtual bool MatchDisplay() { return false; }
    // Plainly when !effect.withEffect; `pacing` is null when the pause is 255.
    virtual DrawOutcome Draw(const Rect& target, const Rect& source, const SlideEffect& effect,
                             const core::imageman::FxCallback* pacing) = 0;
    virtual MediaOutcome PlayMedia(const MediaSlide& slide) = 0;

    // Time and events.
    virtual std::int64_t NowMs() = 0;
    virtual void ProcessEvents() = 0;
    // Runs events until `untilMs` or until the show's flags say to stop waiting.
    virtual void WaitEvents(std::int64_t untilMs) = 0;
    // The effect's pause between steps; runs no events.
    virtual void Sleep(int ms) = 0;
};

struct ShowSettings {
    std::int32_t slideDelay = 1000; // a script writes its delays here, and they stay
    std::uint32_t background = 0;
    int effectsSpeed = 1;
    int screenWidth = 1920;
};

struct ShowRequest {
    bool unsavedChanges = false;
    // A bookmark show: the list and its current entry (-1 none).
    std::vector<std::string> bookmarks;
    int currentBookmark = -1;
    // A script show when set.
    const SlideScript* script = nullptr;
    std::vector<std::uint8_t> selection; // as DecodeSelection gives it
    // Stop after this many whole passes (the headless runs).
    std::optional<int> passes;
};

// What one pass of the loop did with one slide.
struct SlideRecord {
    int index = 0;
    std::string caption;
    std::string file;
    SlideKind kind = SlideKind::Picture;
    bool shown = false;
    std::string skipReason; // empty when shown
    // Script values.
    std::optional<std::uint32_t> background;
    int gamma = 100, zoom = 100, x = -1, y = -1, code = 0;
    std::int32_t delayMs = 0; // SlideDelay while the slide was held
    std::int64_t holdMs = 0;
    std::uint32_t showBackground = 0;
    bool cleared = false; // the client area was filled before drawing
    Rect target, source;
    SlideEffect effect;
};

enum class ShowEnd {
    NotStarted, // the unsaved question said No, or too few slides
    Stopped,    // by the user
    LoadFailed, // a picture that could not be loaded (bookmark show)
    Unreadable, // a bookmark that is no picture
    DrawFailed,
};
const char* ShowEndName(ShowEnd end);

struct ShowResult {
    ShowEnd end = ShowEnd::NotStarted;
    int slidesDrawn = 0;
    int passes = 0;
    int lastIndex = -1; // the bookmark selected at the end
    std::string lastCaption;
};

class ShowEngine {
  public:
    ShowEngine(ShowHost& host, ShowSettings& settings, const EffectTable& table, RandomSource& rng)
        : host_(host), settings_(settings), table_(table), rng_(rng) {}

    ShowResult Run(const ShowRequest& request);

    // Hooks the window's handlers call while the show runs.
    void RequestStop() { stop_ = true; }
    void RequestSkip() { skip_ = true; }
    void MarkClearPending() { clearPending_ = true; }
    bool running() const { return running_; }
    bool stopRequested() const { return stop_; }
    bool skipRequested() const { return skip_; }

    // Called for every slide the loop takes up, shown or skipped.
    std::function<void(const SlideRecord&)> onSlide;
    // Called when a wait is cut short by a skip.
    std::function<void(int index)> onSkip;

    // The wait: -1 at once if a stop is pending, else 0 when the time ran
    // out or a stop or skip came.
    int SlideWait(std::int64_t ms);

  private:
    void Place(const ShowRequest& r, int boxW, int boxH, const LoadedSlide& pic, SlideRecord& rec);

    ShowHost& host_;
    ShowSettings& settings_;
    const EffectTable& table_;
    RandomSource& rng_;
    bool running_ = false, stop_ = false, skip_ = false, clearPending_ = false;
};

} // namespace core::slideshow
