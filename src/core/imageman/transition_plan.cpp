#include "core/imageman/transition_plan.h"

#include <algorithm>
#include <cmath>

namespace core::imageman {

namespace {

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

// Smallest n >= 1 with 2 * n^2 * g^2 >= e^2, that is ceil(e / (sqrt 2 * g)).
std::int64_t CeilOverRoot2(std::int64_t e, std::int64_t g) {
    std::int64_t n = static_cast<std::int64_t>(static_cast<double>(e) / (std::sqrt(2.0) * g));
    n = std::max<std::int64_t>(n - 1, 1);
    using Wide = unsigned __int128;
    while (Wide(2) * Wide(n) * Wide(n) * Wide(g) * Wide(g) < Wide(e) * Wide(e))
        ++n;
    return n;
}

// Nominal milliseconds a step takes per unit of pace.
double PaceUnit(Family f) {
    switch (f) {
    case Family::Wipe:
    case Family::Shape:
        return 0.05;
    case Family::Curtains:
    case Family::Blinds:
        return 0.2;
    case Family::Mosaic:
    case Family::Tiles:
        return 0.1;
    case Family::BlurIntro:
        return 1.0;
    case Family::None:
        break;
    }
    return 0.0;
}

bool VerticalMotion(int effect) {
    switch (effect) {
    case 3:
    case 4:
    case 7:
    case 8:
    case 12:
    case 13:
    case 20:
    case 21:
        return true;
    default:
        return false;
    }
}

} // namespace

Family FamilyOf(int effect) {
    if (effect >= 1 && effect <= 4) return Family::Wipe;
    if (effect >= 5 && effect <= 8) return Family::Curtains;
    if (effect == 9) return Family::Mosaic;
    if (effect >= 10 && effect <= 13) return Family::Tiles;
    if (effect == 14) return Family::BlurIntro;
    if (effect == 16 || effect == 17) return Family::Shape;
    if (effect >= 18 && effect <= 21) return Family::Blinds;
    return Family::None;
}

FxGeometry GeometryOf(const FxParams& p, int width, int height) {
    FxGeometry g;
    width = std::max(width, 1);
    height = std::max(height, 1);
    g.family = FamilyOf(p.effect);
    g.vertical = VerticalMotion(p.effect);
    g.extent = g.vertical ? height : width;
    g.lo = std::max<int>(p.grain & 0xFFFF, 1);
    g.hi = std::max<int>(p.grain >> 16, 1);
    const int hiOrLo = (p.grain >> 16) ? static_cast<int>(p.grain >> 16) : g.lo;
    std::int64_t steps = 1;
    switch (g.family) {
    case Family::None:
        break;
    case Family::Wipe:
        steps = CeilDiv(g.extent, g.lo);
        break;
    case Family::Curtains:
        steps = CeilDiv(CeilDiv(g.extent, 2), g.lo);
        break;
    case Family::Blinds: {
        // A plain size is size and step 1, as the resolution packs it.
        const bool packed = p.grain >= 0x10000;
        g.band = std::min(packed ? g.hi : std::max<int>(p.grain, 1), g.extent);
        if (!packed) g.lo = 1;
        steps = CeilDiv(g.band, g.lo);
        break;
    }
    case Family::Mosaic:
    case Family::Tiles: {
        g.tileW = std::min(g.lo, width);
        g.tileH = std::min(g.family == Family::Tiles ? g.lo : hiOrLo, height);
        g.tilesX = static_cast<int>(CeilDiv(width, g.tileW));
        g.tilesY = static_cast<int>(CeilDiv(height, g.tileH));
        steps =
            std::min<std::int64_t>(static_cast<std::int64_t>(g.tilesX) * g.tilesY, kMaxBlockSteps);
        break;
    }
    case Family::BlurIntro:
        g.blurRadius = std::max(2, std::min(width, height) / 24);
        steps = CeilDiv(g.blurRadius, g.lo);
        break;
    case Family::Shape: {
        const int gx = g.lo, gy = hiOrLo;
        std::int64_t a = 1, b = 1;
        switch (p.option) {
        case 5: // rounded rectangle: 0.55 of the sides
            a = CeilDiv(11LL * width, 20LL * gx);
            b = CeilDiv(11LL * height, 20LL * gy);
            break;
        case 6: // ellipse through the corners
            a = CeilOverRoot2(width, gx);
            b = CeilOverRoot2(height, gy);
            break;
        default: // rectangle
            a = CeilDiv(width, 2LL * gx);
            b = CeilDiv(height, 2LL * gy);
            break;
        }
        steps = std::max(a, b);
        break;
    }
    }
    g.steps = static_cast<int>(std::clamp<std::int64_t>(steps, 1, 1 << 30));
    return g;
}

FxPlan MakePlan(const FxParams& p, int width, int height) {
    const FxGeometry g = GeometryOf(p, width, height);
    FxPlan plan;
    plan.family = g.family;
    plan.steps = g.steps;
    plan.stepMs = std::max(p.pace, 1) * PaceUnit(g.family);
    const double nominal = std::min<double>(kMaxNominalMs, plan.steps * plan.stepMs);
    // Two frames at least when there are two states: a very quick effect
    // (tiny blinds at Faster last 4 ms) would otherwise not be seen at all.
    const int frames = static_cast<int>(
        std::clamp<std::int64_t>(static_cast<std::int64_t>(std::ceil(nominal / kFrameSlotMs)),
                                 std::min(2, plan.steps), plan.steps));
    const bool paced = p.pause != 255;
    const std::int64_t pause = paced ? std::max(p.pause, 0) : 0;
    plan.frames.resize(frames);
    for (int j = 1; j <= frames; ++j) {
        PlannedFrame& f = plan.frames[j - 1];
        f.step = static_cast<int>(CeilDiv(static_cast<std::int64_t>(j) * plan.steps, frames));
        f.callbackAfter = paced && j < frames;
        f.dueMs = j == 1 ? 0 : std::llround((j - 1) * nominal / (frames - 1)) + (j - 1) * pause;
    }
    plan.durationMs = std::llround(nominal) + (frames - 1) * pause;
    return plan;
}

} // namespace core::imageman
