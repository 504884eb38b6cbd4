#include "core/slideshow/effect_resolve.h"

#include <algorithm>
#include <utility>

namespace core::slideshow {

namespace {

constexpr std::uint8_t kNoCallback = 255;

// Grain as two 16-bit halves. Each half is clamped, so wide screens and tall
// pictures cannot spill into the other half or overflow.
std::uint32_t Halves(long long hi, long long lo) {
    const auto clamp16 = [](long long v) {
        return static_cast<std::uint32_t>(std::clamp<long long>(v, 0, 0xFFFF));
    };
    return (clamp16(hi) << 16) | clamp16(lo);
}

struct Timing {
    std::uint8_t pace, pause;
    std::uint32_t grain;
};

void ResolveWipe(EffectEntry& e, int s, const ResolveContext& ctx) {
    // The Reveal modes (odd options) run one speed slower.
    static constexpr Timing kBySpeed[5] = {
        {10, kNoCallback, 2}, {10, kNoCallback, 1}, {10, 1, 1}, {10, 0, 1}, {40, 0, 1}};
    const Timing& t = kBySpeed[s + (e.Option & 1)];
    e.Pace = t.pace;
    e.Pause = t.pause;
    e.Grain = t.grain;
    if (e.Option != 2) return;
    // Scroll over the background is drawn as one blind as wide as the screen.
    static constexpr std::uint32_t kStep[4] = {6, 4, 4, 2};
    e.Effect = static_cast<std::uint8_t>(e.Effect + 17);
    e.Grain = Halves(ctx.screenWidth, kStep[s]);
    if (s == 2) {
        e.Pace = 10;
        e.Pause = 2;
    } else if (s == 3) {
        e.Pace = 10;
        e.Pause = 0;
    }
}

void ResolveCurtain(EffectEntry& e, int s) {
    static constexpr std::uint32_t kGrain[4] = {4, 2, 1, 1};
    e.Pace = 10;
    e.Pause = s == 3 ? 0 : kNoCallback;
    e.Grain = kGrain[s];
}

void ResolveTileOrMosaic(EffectEntry& e, int s) {
    e.Pace = 20;
    e.Option = 1;
    e.Pause = kNoCallback;
    if (e.Effect != kFxMosaic) e.Grain += 0x10000; // the tile flag
    // Small blocks are already slow: one speed faster.
    const int s2 = ((e.Grain & 0xFF) < 5 && s > 0) ? s - 1 : s;
    if (s2 == 1) {
        e.Pause = 4;
    } else if (s2 == 2) {
        e.Pause = 2;
    } else if (s2 == 3) {
        e.Pace = 10;
        e.Pause = 0;
    }
}

void ResolveShape(EffectEntry& e, int s) {
    static constexpr std::uint32_t kGrain[4] = {0x40004, 0x20002, 0x10001, 0x10001};
    e.Pace = 20;
    e.Pause = s == 3 ? 0 : kNoCallback;
    e.Grain = kGrain[s];
}

void ResolveBlinds(EffectEntry& e, int s) {
    // A plain blind size becomes size and step 1 (65535 too: it is a size).
    if (e.Grain < 0x10000) e.Grain = (e.Grain << 16) + 1;
    const std::uint32_t n = e.Grain >> 16;
    const unsigned b = n >= 8 ? 50 : 200;
    // Small blinds wrap round the byte at the slower speeds (200, 144, 88);
    // their short pause keeps them brisk anyway.
    e.Pace = s == 0 ? 10 : static_cast<std::uint8_t>((b * static_cast<unsigned>(s)) % 256);
    e.Pause = static_cast<std::uint8_t>(100 / std::max<std::uint32_t>(n, 1));
}

void ResolveLines(EffectEntry& e, int s, const ResolveContext& ctx) {
    static constexpr std::uint8_t kPace[4] = {1, 1, 10, 20};
    const bool horizontal = e.Effect == kFxRandomHLines;
    e.Option = 3;
    e.Pause = 0;
    e.Pace = kPace[s];
    if (horizontal)
        e.Grain = Halves(s == 0 ? 3 : 1, ctx.width);
    else
        e.Grain = Halves(ctx.height, s == 0 ? 2 : 1);
    // Drawn as a mosaic of lines.
    e.Effect = kFxMosaic;
}

EffectEntry Filled(int effect, int option, std::uint32_t grain) {
    EffectEntry e;
    e.Effect = static_cast<std::uint8_t>(effect);
    e.Option = static_cast<std::uint8_t>(option);
    e.Grain = grain;
    return e;
}

EffectEntry PickFromGroup(int group, RandomSource& rng, int previousCode) {
    switch (group) {
    case kFxRandomWipes:
        return RandomWipe(rng);
    case kFxRandomCurtains:
        return RandomCurtain(rng);
    case kFxRandomTilesMosaics:
        return RandomTileOrMosaic(rng);
    case kFxRandomBlinds:
        return RandomBlind(rng);
    case kFxRandomImplodesExplodes:
        return RandomImplodeExplode(rng);
    default:
        return RandomAnyEffect(rng, previousCode);
    }
}

} // namespace

int ClampSpeed(int stored) {
    return std::clamp(stored, 0, 3);
}

EffectEntry ResolveEffect(const EffectEntry& entry, const ResolveContext& ctx) {
    EffectEntry e = entry;
    const int s = ClampSpeed(ctx.speed);
    const int code = e.Effect;
    if (code >= kFxWipeFirst && code < kFxWipeFirst + 4) {
        ResolveWipe(e, s, ctx);
    } else if (code >= kFxCurtainFirst && code < kFxCurtainFirst + 4) {
        ResolveCurtain(e, s);
    } else if (code >= kFxMosaic && code < kFxTileFirst + 4) {
        ResolveTileOrMosaic(e, s);
    } else if (code == kFxBlurIntro) {
        e.Pace = 20;
        e.Pause = kNoCallback;
    } else if (code == kFxImplode || code == kFxExplode) {
        ResolveShape(e, s);
    } else if (code >= kFxBlindsFirst && code < kFxBlindsFirst + 4) {
        ResolveBlinds(e, s);
    } else if (code == kFxRandomHLines || code == kFxRandomVLines) {
        ResolveLines(e, s, ctx);
    } else {
        e.Effect = kFxNone;
        e.Option = 0;
        e.Grain = 0;
        e.Pace = 20;
        e.Pause = kNoCallback;
    }
    return e;
}

int ResolvedCode(int effect, int option) {
    if (effect >= kFxWipeFirst && effect < kFxWipeFirst + 4)
        return option == 2 ? effect + 17 : effect;
    if (effect >= kFxCurtainFirst && effect <= kFxBlurIntro) return effect;
    if (effect >= kFxImplode && effect < kFxBlindsFirst + 4) return effect;
    if (effect == kFxRandomHLines || effect == kFxRandomVLines) return kFxMosaic;
    return kFxNone;
}

bool IsRandomGroup(int effect) {
    return effect >= kFxRandomAll && effect <= kFxRandomImplodesExplodes;
}

// Each group draws its numbers in the order its fields are listed.
EffectEntry RandomWipe(RandomSource& rng) {
    const int effect = std::min(1 + rng.Below(4), 4);
    const int option = std::min(rng.Below(4), 3);
    return Filled(effect, option, 0);
}

EffectEntry RandomCurtain(RandomSource& rng) {
    int effect = 5 + rng.Below(4);
    if (effect > 8) effect = 5;
    const int option = std::min(rng.Below(4), 3);
    return Filled(effect, option, 0);
}

EffectEntry RandomTileOrMosaic(RandomSource& rng) {
    int effect = 9 + rng.Below(5);
    if (effect > 13) effect = 9;
    // Sizes Tiny to Large; X-Large only from the list.
    const std::uint32_t grain = std::clamp(2u << rng.Below(5), 2u, 64u);
    return Filled(effect, 0, grain);
}

EffectEntry RandomBlind(RandomSource& rng) {
    int effect = 18 + rng.Below(4);
    if (effect > 21) effect = 18;
    const int option = std::min(rng.Below(4), 3);
    std::uint32_t grain = 8u * static_cast<std::uint32_t>(rng.Below(8));
    if (grain == 0) grain = 8;
    return Filled(effect, option, grain);
}

EffectEntry RandomImplodeExplode(RandomSource& rng) {
    int effect = 16 + rng.Below(2);
    if (effect > 17) effect = 16;
    const int option = std::min(4 + rng.Below(3), 6);
    return Filled(effect, option, 0);
}

EffectEntry RandomAnyEffect(RandomSource& rng, int previousCode) {
    for (;;) {
        const int n = rng.Below(101);
        EffectEntry e;
        switch ((n / 10) / 2) {
        case 0:
            e = RandomBlind(rng);
            break;
        case 1:
            e = RandomTileOrMosaic(rng);
            break;
        case 2:
            e = RandomWipe(rng);
            break;
        case 3:
            e = RandomImplodeExplode(rng);
            break;
        case 4:
            e = RandomCurtain(rng);
            break;
        default:
            e = Filled(kFxBlurIntro, 1, 1);
            break;
        }
        // A Scroll-over wipe is drawn as a blind: compare what is drawn too.
        if (e.Effect != previousCode && ResolvedCode(e.Effect, e.Option) != previousCode) return e;
    }
}

SlideEffectChooser::SlideEffectChooser(const EffectTable& table,
                                       std::vector<std::uint8_t> selection)
    : table_(table), selection_(std::move(selection)) {}

SlideEffect SlideEffectChooser::NextFromSelection(RandomSource& rng, const ResolveContext& ctx) {
    const int entry = selection_.empty()
                          ? kEntryRandomAll
                          : selection_[rng.Below(static_cast<int>(selection_.size()))];
    return NextForEntry(entry, rng, ctx);
}

SlideEffect SlideEffectChooser::NextForEntry(int entry, RandomSource& rng,
                                             const ResolveContext& ctx) {
    SlideEffect s;
    s.entry = (entry >= 0 && entry < kEffectTableSize) ? entry : kEntryNone;
    EffectEntry e = table_[s.entry];
    if (IsRandomGroup(e.Effect)) {
        s.picked = PickFromGroup(e.Effect, rng, previous_);
        e = *s.picked;
    }
    s.resolved = ResolveEffect(e, ctx);
    previous_ = s.resolved.Effect;
    s.draw = s.resolved;
    if (ctx.width < kMinEffectSide || ctx.height < kMinEffectSide) {
        s.draw.Effect = kFxNone;
        s.draw.Option = 0;
        s.draw.Grain = 0;
    }
    s.withEffect = s.draw.Effect != kFxNone;
    s.renderSeed = rng.Bits();
    return s;
}

} // namespace core::slideshow
