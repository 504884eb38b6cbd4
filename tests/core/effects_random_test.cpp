// The random groups and the per-slide choice of a show.
#include "core/slideshow/effect_catalogue.h"
#include "core/slideshow/effect_resolve.h"
#include "core/slideshow/random_source.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <tuple>

namespace fx = core::slideshow;

namespace {

using Value = std::tuple<int, int, unsigned>; // effect, option, grain

std::set<Value> Product(std::set<int> effects, std::set<int> options, std::set<unsigned> grains) {
    std::set<Value> out;
    for (int e : effects)
        for (int o : options)
            for (unsigned g : grains)
                out.insert({e, o, g});
    return out;
}

const std::set<Value>& WipeValues() {
    static const auto v = Product({1, 2, 3, 4}, {0, 1, 2, 3}, {0});
    return v;
}
const std::set<Value>& CurtainValues() {
    static const auto v = Product({5, 6, 7, 8}, {0, 1, 2, 3}, {0});
    return v;
}
// Never 64: the group's sizes stop at Large.
const std::set<Value>& BlockValues() {
    static const auto v = Product({9, 10, 11, 12, 13}, {0}, {2, 4, 8, 16, 32});
    return v;
}
const std::set<Value>& BlindValues() {
    static const auto v = Product({18, 19, 20, 21}, {0, 1, 2, 3}, {8, 16, 24, 32, 40, 48, 56});
    return v;
}
const std::set<Value>& ShapeValues() {
    static const auto v = Product({16, 17}, {4, 5, 6}, {0});
    return v;
}

Value Of(const fx::EffectEntry& e) {
    return {e.Effect, e.Option, e.Grain};
}

constexpr int kDraws = 20000;

void ExpectExactly(const std::function<fx::EffectEntry(fx::RandomSource&)>& group,
                   const std::set<Value>& expected) {
    fx::RandomSource rng(12345);
    std::set<Value> seen;
    for (int i = 0; i < kDraws; ++i) {
        const fx::EffectEntry e = group(rng);
        ASSERT_TRUE(expected.count(Of(e)))
            << int(e.Effect) << " " << int(e.Option) << " " << e.Grain;
        EXPECT_EQ(e.Pace, 0);
        EXPECT_EQ(e.Pause, 0);
        seen.insert(Of(e));
    }
    EXPECT_EQ(seen, expected);
}

fx::ResolveContext Ctx(int speed, int w = 800, int h = 600) {
    fx::ResolveContext c;
    c.speed = speed;
    c.width = w;
    c.height = h;
    return c;
}

} // namespace

TEST(EffectRandom, BelowIsTruncatedAndCoversItsRange) {
    fx::RandomSource rng(1);
    std::map<int, int> counts;
    for (int i = 0; i < 101 * 200; ++i) {
        const int n = rng.Below(101);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 100);
        ++counts[n];
    }
    EXPECT_EQ(counts.size(), 101u);
    for (const auto& [n, k] : counts)
        EXPECT_GT(k, 100) << n; // roughly even
    EXPECT_EQ(rng.Below(0), 0);
    EXPECT_EQ(rng.Below(1), 0);
    fx::RandomSource a(99), b(99);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(a.Below(1000000), b.Below(1000000));
}

TEST(EffectRandom, EachGroupGivesExactlyItsValues) {
    ExpectExactly(fx::RandomWipe, WipeValues());
    ExpectExactly(fx::RandomCurtain, CurtainValues());
    ExpectExactly(fx::RandomTileOrMosaic, BlockValues());
    ExpectExactly(fx::RandomBlind, BlindValues());
    ExpectExactly(fx::RandomImplodeExplode, ShapeValues());
}

TEST(EffectRandom, RandomizeAllCoversEveryGroupAndNeverRepeats) {
    std::set<Value> expected = {{14, 1, 1}};
    for (const auto* g :
         {&WipeValues(), &CurtainValues(), &BlockValues(), &BlindValues(), &ShapeValues()})
        expected.insert(g->begin(), g->end());

    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    for (int speed = 0; speed < 4; ++speed) {
        fx::RandomSource rng(777 + speed);
        fx::SlideEffectChooser show(c.table, {}); // empty selection: Randomize ALL
        std::set<Value> seen;
        int previous = -1;
        for (int i = 0; i < kDraws; ++i) {
            const fx::SlideEffect s = show.NextFromSelection(rng, Ctx(speed));
            ASSERT_EQ(s.entry, 1);
            ASSERT_TRUE(s.picked);
            ASSERT_TRUE(expected.count(Of(*s.picked)));
            ASSERT_NE(s.picked->Effect, previous) << i;
            ASSERT_NE(s.resolved.Effect, previous) << i;
            previous = s.resolved.Effect;
            EXPECT_EQ(show.previousCode(), previous);
            seen.insert(Of(*s.picked));
        }
        EXPECT_EQ(seen, expected);
    }
    // Before the first slide nothing is excluded.
    fx::RandomSource rng(5);
    EXPECT_NE(fx::RandomAnyEffect(rng, -1).Effect, 0);
}

TEST(EffectRandom, AMosaicNeverFollowsAMosaicOrRandomLines) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::RandomSource rng(31);
    fx::SlideEffectChooser show(c.table, {1, 172});
    int afterMosaic = 0;
    int previous = -1;
    for (int i = 0; i < kDraws; ++i) {
        const fx::SlideEffect s = show.NextFromSelection(rng, Ctx(1));
        if (s.entry == 1 && previous == 9) {
            ++afterMosaic;
            EXPECT_NE(s.picked->Effect, 9);
        }
        previous = s.resolved.Effect;
    }
    EXPECT_GT(afterMosaic, 1000);
}

TEST(EffectRandom, SelectionEntriesAreEachDrawn) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::RandomSource rng(8);
    fx::SlideEffectChooser show(c.table, {0, 19, 150});
    std::map<int, int> counts;
    for (int i = 0; i < 3000; ++i) {
        const fx::SlideEffect s = show.NextFromSelection(rng, Ctx(2));
        ++counts[s.entry];
        EXPECT_FALSE(s.picked);
    }
    ASSERT_EQ(counts.size(), 3u);
    for (const auto& [entry, n] : counts)
        EXPECT_GT(n, 800) << entry;
}

TEST(EffectRandom, OnlyNoneDrawsEverySlidePlainly) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::RandomSource rng(3);
    fx::SlideEffectChooser show(c.table, {0});
    for (int i = 0; i < 50; ++i) {
        const fx::SlideEffect s = show.NextFromSelection(rng, Ctx(i % 4));
        EXPECT_FALSE(s.withEffect);
        EXPECT_EQ(s.draw.Effect, 0);
        EXPECT_EQ(show.previousCode(), 0);
    }
}

TEST(EffectRandom, SmallPicturesAreDrawnWithoutEffectButCountAsShown) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    fx::RandomSource rng(4);
    fx::SlideEffectChooser show(c.table, {150});
    fx::SlideEffect s = show.NextFromSelection(rng, Ctx(2, 64, 480));
    EXPECT_FALSE(s.withEffect);
    EXPECT_EQ(s.draw.Effect, 0);
    EXPECT_EQ(s.draw.Option, 0);
    EXPECT_EQ(s.draw.Grain, 0u);
    EXPECT_EQ(s.draw.Pace, 100); // the resolved timing stays
    EXPECT_EQ(s.draw.Pause, 1);
    EXPECT_EQ(show.previousCode(), 18); // the resolved code
    s = show.NextFromSelection(rng, Ctx(2, 640, 64));
    EXPECT_FALSE(s.withEffect);
    s = show.NextFromSelection(rng, Ctx(2, 65, 65));
    EXPECT_TRUE(s.withEffect);
    EXPECT_EQ(s.draw, s.resolved);
}

TEST(EffectRandom, TheSameSeedGivesTheSameShow) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    const std::vector<std::uint8_t> selection = {1, 2, 3, 4, 5, 6, 7, 70, 172};
    auto run = [&](std::uint64_t seed) {
        fx::RandomSource rng(seed);
        fx::SlideEffectChooser show(c.table, selection);
        std::vector<std::tuple<int, Value, std::uint64_t>> out;
        for (int i = 0; i < 500; ++i) {
            const fx::SlideEffect s = show.NextFromSelection(rng, Ctx(1));
            out.emplace_back(s.entry, Of(s.draw), s.renderSeed);
        }
        return out;
    };
    EXPECT_EQ(run(42), run(42));
    EXPECT_NE(run(42), run(43));
}

TEST(EffectRandom, SeedFromTheEnvironment) {
    ::setenv("VISTREL_SEED", "18446744073709551615", 1);
    EXPECT_EQ(fx::SeedFromEnvironment(), 18446744073709551615ull);
    EXPECT_EQ(fx::StartSeed(), 18446744073709551615ull);
    for (const char* bad : {"", "12x", "-1", "18446744073709551616"}) {
        ::setenv("VISTREL_SEED", bad, 1);
        EXPECT_FALSE(fx::SeedFromEnvironment()) << bad;
    }
    ::unsetenv("VISTREL_SEED");
    EXPECT_FALSE(fx::SeedFromEnvironment());
}
