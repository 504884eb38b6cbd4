// The slideshow's window side: the effect table and the user's selection of
// transition effects.
#pragma once

#include "core/slideshow/effect_catalogue.h"

#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace core::slideshow {
class ShowEngine;
}

namespace gui {

struct WindowContext;

// A show run from outside (vistrel --slideshow): its log, its end, its clock.
struct ShowDriver {
    QString logPath;   // one JSON object a line
    int passes = 0;    // stop after this many passes; 0 = run until stopped
    bool fast = false; // waits and effect pacing on a virtual clock
    QString shotsDir;  // the show surface after each slide
    bool haveSelection = false;
    std::vector<std::uint8_t> selection; // instead of the stored one
};

class SlideshowCommands {
  public:
    explicit SlideshowCommands(WindowContext& ctx) : ctx_(ctx) {}

    // Builds the effect table afresh. With `forShow` (the Run command) it stops
    // there; otherwise it shows the selection from selFX01 in the list dialog
    // and stores it back on Ok.
    void mnuSlideEffectsClick(bool forShow);

    // Runs a whole show over the bookmark list, or over the script chosen
    // with the script command, and returns when it has ended.
    void mnuHistorySlideshowClick(bool script);
    // "&Reelmark AVL": chooses a script and shows it when its version is right.
    void mnuSlideshowClick();

    void setDriver(const ShowDriver& driver) { driver_ = driver; }
    void setScriptPath(const QString& path) { scriptPath_ = path; }

    bool running() const { return engine_ != nullptr; }
    // A close request or a minimise while the show runs only stops it.
    void RequestStop();

    const core::slideshow::EffectCatalogue& catalogue() const { return catalogue_; }
    bool tableBuilt() const { return built_; }

  private:
    WindowContext& ctx_;
    core::slideshow::EffectCatalogue catalogue_;
    bool built_ = false;
    core::slideshow::ShowEngine* engine_ = nullptr;
    QString scriptPath_;
    ShowDriver driver_;
};

} // namespace gui
