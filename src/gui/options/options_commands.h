// The window side of the options dialog: the Options commands open it on
// the right page, and Apply (also Ok's) brings its controls to the window:
// the bar toggles with one resize, the stored fields, the background, a
// reopen of the shown file when its decoding choices changed, and the
// player's properties while a clip is shown.
#pragma once

#include "core/options/options_model.h"

#include <functional>
#include <optional>

namespace gui {

struct WindowContext;

// Where the Options command was given: the View menu or a Slideshow submenu.
enum class OptionsSender { View, Slideshow };

// Player properties to set on the clip shown in the window.
struct PlayerUpdate {
    std::optional<bool> showStatusBar, showControls, showTracker;
    std::optional<int> volume; // the player's scale: 0 loudest, −6908 for a setting of 1
};

class OptionsCommands {
  public:
    explicit OptionsCommands(WindowContext& ctx) : ctx_(ctx) {}

    void mnuOptionsClick(OptionsSender sender);
    // Applies the dialog's controls, in order, and tells the model what now stands.
    void Apply(core::options::OptionsModel& model);
    // The settings as the dialog edits them, from the window.
    core::options::Stored CurrentStored() const;

    // Hooks the media player and the Photo CD import connect to.
    // Called at Apply while a clip is shown, with the properties that changed.
    std::function<void(const PlayerUpdate&)> playerSettingsChanged;
    // Called at Apply when the Photo-CD step changed (before any reopen).
    std::function<void(int step)> photoCdStepChanged;

    int lastResult() const { return lastResult_; }

  private:
    void PaintBackground();

    WindowContext& ctx_;
    int lastResult_ = -999;
};

} // namespace gui
