// The slideshow's window side: the effect table and the user's selection of
// transition effects.
#pragma once

#include "core/slideshow/effect_catalogue.h"

#include <QStringList>

namespace gui {

struct WindowContext;

class SlideshowCommands {
  public:
    explicit SlideshowCommands(WindowContext& ctx) : ctx_(ctx) {}

    // Builds the effect table afresh. With `forShow` (the Run command) it stops
    // there; otherwise it shows the selection from selFX01 in the list dialog
    // and stores it back on Ok.
    void mnuSlideEffectsClick(bool forShow);

    const core::slideshow::EffectCatalogue& catalogue() const { return catalogue_; }
    bool tableBuilt() const { return built_; }

  private:
    WindowContext& ctx_;
    core::slideshow::EffectCatalogue catalogue_;
    bool built_ = false;
};

} // namespace gui
