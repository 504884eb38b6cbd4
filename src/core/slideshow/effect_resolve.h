// From a table entry to the values of one slide's draw call: the random
// groups, the speed and size rule, and the choice a show makes per slide.
#pragma once

#include "core/slideshow/effect_catalogue.h"
#include "core/slideshow/random_source.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace core::slideshow {

// The settings and sizes a resolution depends on.
struct ResolveContext {
    int speed = 1; // EffectsSpeed as stored: 0 Faster .. 3 Slowest
    int width = 0; // picture as drawn
    int height = 0;
    int screenWidth = 1920; // the screen's width in pixels
};

// The speed as the tables use it (a stored byte out of range is clamped).
int ClampSpeed(int stored);

// The entry with the speed and size rule applied: Pace, Pause and Grain set,
// Effect and Option changed where the rule says. Selected passes through.
EffectEntry ResolveEffect(const EffectEntry& entry, const ResolveContext& ctx);

// The effect code ResolveEffect gives an entry of this code and option.
int ResolvedCode(int effect, int option);

bool IsRandomGroup(int effect);

// The random groups: each fills a fresh entry (fields it does not name are 0).
EffectEntry RandomWipe(RandomSource& rng);
EffectEntry RandomCurtain(RandomSource& rng);
EffectEntry RandomTileOrMosaic(RandomSource& rng);
EffectEntry RandomBlind(RandomSource& rng);
EffectEntry RandomImplodeExplode(RandomSource& rng);
// "Randomize ALL": one of the five groups or Blur Intro, drawn again while
// its code, or the code it resolves to, is the previous slide's resolved code
// (-1 before the first slide).
EffectEntry RandomAnyEffect(RandomSource& rng, int previousCode);

// Pictures narrower or lower than this are drawn without effect.
constexpr int kMinEffectSide = 65;

// One slide's transition, as the show draws it.
struct SlideEffect {
    int entry = 0;                     // the table entry chosen
    std::optional<EffectEntry> picked; // what a random group stood for
    EffectEntry resolved;              // after the speed and size rule
    EffectEntry draw;                  // the values passed to the draw call
    bool withEffect = false;           // ImgDrawImageFX, else ImgDrawImage
    std::uint64_t renderSeed = 0;      // for the renderer's random orders
};

// The per-slide choice of a show. Every slide draws from the random source in
// one fixed order: the selection's byte (when the selection is not empty),
// then the group's numbers, then the render seed; so a show and a plan made
// from the same seed agree.
class SlideEffectChooser {
  public:
    // `selection` as DecodeSelection gives it; empty means "Randomize ALL".
    SlideEffectChooser(const EffectTable& table, std::vector<std::uint8_t> selection);

    // A bookmark show's slide: an entry from the selection.
    SlideEffect NextFromSelection(RandomSource& rng, const ResolveContext& ctx);
    // A script slide: the entry its transition names.
    SlideEffect NextForEntry(int entry, RandomSource& rng, const ResolveContext& ctx);

    // The resolved code of the last slide, -1 before the first.
    int previousCode() const { return previous_; }
    void Restart() { previous_ = -1; }

  private:
    const EffectTable& table_;
    std::vector<std::uint8_t> selection_;
    int previous_ = -1;
};

} // namespace core::slideshow
