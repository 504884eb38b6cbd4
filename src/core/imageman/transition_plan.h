// The frame plan of a transition: how many steps an effect has at a target
// size, how long a step lasts, and which steps are shown when. Pure: the
// renderer draws the steps, the draw call presents them at the due times.
#pragma once

#include <cstdint>
#include <vector>

namespace core::imageman {

// The values of one draw call with an effect.
struct FxParams {
    int effect = 0;
    int option = 0;
    std::uint32_t grain = 0;
    int pace = 0;
    int pause = 255;        // 255 = no pacing callback
    std::uint64_t seed = 0; // random orders (mosaics, tiles)
};

enum class Family { None, Wipe, Curtains, Blinds, Mosaic, Tiles, BlurIntro, Shape };

Family FamilyOf(int effect);

struct PlannedFrame {
    int step = 0;           // the state shown, 1 .. steps
    std::int64_t dueMs = 0; // from the start of the effect
    bool callbackAfter = false;
};

struct FxPlan {
    Family family = Family::None;
    int steps = 1;
    double stepMs = 0;           // one step's nominal time
    std::int64_t durationMs = 0; // the whole effect, pauses included
    std::vector<PlannedFrame> frames;
};

// Frames are at least this far apart (100 a second at most).
constexpr int kFrameSlotMs = 10;
// No effect runs longer than this without its pauses.
constexpr int kMaxNominalMs = 8000;
// Mosaics and tiles show at most this many states.
constexpr int kMaxBlockSteps = 512;

// The family's geometry, shared by the plan and the renderer.
struct FxGeometry {
    Family family = Family::None;
    bool vertical = false; // motion along y
    int extent = 0;        // E: the target's size along the motion
    int lo = 1, hi = 1;    // grain halves, at least 1
    int band = 1;          // blinds: band size
    int tileW = 1, tileH = 1;
    int tilesX = 1, tilesY = 1;
    int blurRadius = 0; // blur intro: R0
    int steps = 1;
};

FxGeometry GeometryOf(const FxParams& p, int width, int height);

FxPlan MakePlan(const FxParams& p, int width, int height);

} // namespace core::imageman
