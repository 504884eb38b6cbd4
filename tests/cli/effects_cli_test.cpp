// vistrel-cli effects, effect and effect-selection.
#include "cli/cli_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using clitest::Lines;

// The value of "key":N after `from` in a JSON line.
long long Field(const std::string& line, const std::string& key, std::size_t from = 0) {
    const std::size_t at = line.find("\"" + key + "\":", from);
    if (at == std::string::npos) return -999;
    return std::stoll(line.substr(at + key.size() + 3));
}

} // namespace

TEST(CliEffects, ListsTheCatalogue) {
    const auto r = clitest::CliOutput("effects");
    EXPECT_EQ(r.status, 0);
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 174u);
    EXPECT_EQ(lines[0], "0\tNone\t0\t0\t0");
    EXPECT_EQ(lines[1], "1\tRandomize ALL\t100\t0\t0");
    EXPECT_EQ(lines[7], "7\tBlur Intro\t14\t1\t1");
    EXPECT_EQ(lines[19], "19\tWipe, Scroll, Over background, from Top\t4\t2\t0");
    EXPECT_EQ(lines[27], "27\tCurtains, Reveal, Over background, out Vert\t5\t3\t0");
    EXPECT_EQ(lines[63], "63\tTile, X-Large, from Top\t13\t0\t64");
    EXPECT_EQ(lines[165], "165\tBlinds, X-Large, Reveal, Over background, from Top\t21\t3\t64");
    EXPECT_EQ(lines[167], "167\tExplode, Rounded Rectangle\t17\t5\t0");
    EXPECT_EQ(lines[173], "173\tRandom Vertical Lines\t33\t0\t0");
    EXPECT_EQ(clitest::Cli("effects extra"), 2);
}

TEST(CliEffects, PrintsTheDrawsOfAnEntry) {
    auto r = clitest::CliOutput("effect 19 --speed 2 --size 640x480 --screen-width 1024");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "{\"entry\":19,\"picked\":null,\"draw\":{\"call\":\"ImgDrawImageFX\","
                     "\"effect\":21,\"option\":2,\"grain\":67108868,\"pace\":10,\"pause\":2}}\n");
    r = clitest::CliOutput("effect 0 --speed 0 --size 640x480 --draws 2");
    EXPECT_EQ(r.out, "{\"entry\":0,\"picked\":null,\"draw\":{\"call\":\"ImgDrawImage\","
                     "\"effect\":0,\"option\":0,\"grain\":0,\"pace\":20,\"pause\":255}}\n"
                     "{\"entry\":0,\"picked\":null,\"draw\":{\"call\":\"ImgDrawImage\","
                     "\"effect\":0,\"option\":0,\"grain\":0,\"pace\":20,\"pause\":255}}\n");
    // Too small for an effect; the speed by name.
    r = clitest::CliOutput("effect 70 --speed slowest --size 64x480");
    EXPECT_EQ(r.out, "{\"entry\":70,\"picked\":null,\"draw\":{\"call\":\"ImgDrawImage\","
                     "\"effect\":0,\"option\":0,\"grain\":0,\"pace\":88,\"pause\":50}}\n");
    r = clitest::CliOutput("effect 173 --speed 0 --size 65x70000");
    EXPECT_EQ(r.out, "{\"entry\":173,\"picked\":null,\"draw\":{\"call\":\"ImgDrawImageFX\","
                     "\"effect\":9,\"option\":3,\"grain\":4294901762,\"pace\":1,\"pause\":0}}\n");
}

TEST(CliEffects, RandomEntriesAreSeededAndNeverRepeat) {
    const std::string args = "effect 1 --speed 1 --size 800x600 --draws 3000";
    const auto a = clitest::CliOutput(args + " --seed 9");
    ASSERT_EQ(a.status, 0);
    const auto lines = Lines(a.out);
    ASSERT_EQ(lines.size(), 3000u);
    EXPECT_NE(clitest::CliOutput(args + " --seed 10").out, a.out);
    long long previous = -1;
    std::set<long long> picked;
    for (const std::string& line : lines) {
        ASSERT_EQ(line.rfind("{\"entry\":1,\"picked\":{\"effect\":", 0), 0u) << line;
        const long long effect = Field(line, "effect");
        const long long drawn = Field(line, "effect", line.find("\"draw\""));
        ASSERT_NE(effect, previous);
        ASSERT_NE(drawn, previous);
        previous = drawn;
        picked.insert(effect);
    }
    EXPECT_EQ(picked, (std::set<long long>{1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                           11, 12, 13, 14, 16, 17, 18, 19, 20, 21}));
    // The environment seeds the same show as the option.
    ::setenv("VISTREL_SEED", "9", 1);
    const auto env = clitest::CliOutput(args);
    ::unsetenv("VISTREL_SEED");
    EXPECT_EQ(env.out, a.out);
}

TEST(CliEffects, EffectUsageErrors) {
    EXPECT_EQ(clitest::Cli("effect 8 --size 640x480"), 2);
    EXPECT_EQ(clitest::Cli("effect 8 --speed 1"), 2);
    EXPECT_EQ(clitest::Cli("effect --speed 1 --size 640x480"), 2);
    EXPECT_EQ(clitest::Cli("effect 174 --speed 1 --size 640x480"), 2);
    EXPECT_EQ(clitest::Cli("effect 8 9 --speed 1 --size 640x480"), 2);
    EXPECT_EQ(clitest::Cli("effect 8 --speed fast --size 640x480"), 2);
    EXPECT_EQ(clitest::Cli("effect 8 --speed 1 --size 0x480"), 2);
    EXPECT_EQ(clitest::Cli("effect 8 --speed 1 --size 640x480 --seed -3"), 2);
    EXPECT_EQ(clitest::Cli("effect 8 --speed 1 --size 640x480 --draws"), 2);
}

TEST(CliEffects, SelectionBytesAndBack) {
    auto r = clitest::CliOutput("effect-selection 0");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(510, '0') + "01\n");
    r = clitest::CliOutput("effect-selection 173 8 70 8");
    const std::string hex = r.out.substr(0, 512);
    EXPECT_EQ(r.out.size(), 513u);
    EXPECT_EQ(hex.substr(0, 6), "0846ad");
    EXPECT_EQ(hex.substr(6, 504), std::string(504, '0'));
    EXPECT_EQ(hex.substr(510), "03");
    r = clitest::CliOutput("effect-selection --decode " + hex);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "8\n70\n173\n");
    // Another length is an empty selection; not hex is a usage error.
    r = clitest::CliOutput("effect-selection --decode 0846ad03");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(clitest::Cli("effect-selection --decode 0g"), 2);
    EXPECT_EQ(clitest::Cli("effect-selection --decode 123"), 2);
    EXPECT_EQ(clitest::Cli("effect-selection 174"), 2);
}
