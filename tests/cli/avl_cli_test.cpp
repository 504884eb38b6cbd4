// vistrel-cli avl: the play plan of a script written by the test.
#include "cli/cli_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

using clitest::Lines;
namespace fs = std::filesystem;

void Write(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

bool Has(const std::string& line, const std::string& part) {
    return line.find(part) != std::string::npos;
}

TEST(CliAvl, PlaysSectionsZeroToNMinusTwoInOrder) {
    const auto dir = testsupport::TempDir("cli_avl");
    fs::create_directories(dir / "pics");
    fs::copy_file(clitest::Sample(), dir / "pics" / "pic.JPG");
    const auto script = dir / "show.avl";
    Write(script, "[header]\r\nVER = 7\r\nn=3\r\n[Directory]\r\n1=C:\\pics\\\r\n"
                  "[0]\r\nF=pic,1\r\nb=FF0000\r\nG=32\r\nP=5,6\r\nW=0\r\nX=15\r\n"
                  "[1]\r\nF=gone.jpg,1\r\nW=2\r\n"
                  "[2]\r\nF=pic,1\r\n");
    const auto plan = clitest::CliOutput("avl " + script.string() + " --box 640x480 --seed 4");
    ASSERT_EQ(plan.status, 0);
    const auto lines = Lines(plan.out);
    ASSERT_EQ(lines.size(), 3u) << plan.out;
    EXPECT_EQ(lines[0], "{\"ver\":7,\"n\":3,\"slides\":2}");

    // The drive letter is not here: the folder beside the script.
    const std::string pic = (dir / "pics" / "pic.JPG").string();
    EXPECT_TRUE(Has(lines[1], "\"section\":\"0\""));
    EXPECT_TRUE(Has(lines[1], "\"caption\":\"Slide 1 of 2 - " + pic + "\"")) << lines[1];
    EXPECT_TRUE(Has(lines[1], "\"file\":\"" + pic + "\""));
    EXPECT_TRUE(Has(lines[1], "\"background\":\"0x00FF0000\""));
    EXPECT_TRUE(Has(lines[1], "\"gamma\":50"));
    EXPECT_TRUE(Has(lines[1], "\"delay_ms\":0,\"hold_ms\":50"));
    EXPECT_TRUE(Has(lines[1], "\"code\":15,\"entries\":[166]"));
    EXPECT_TRUE(Has(lines[1], "\"draw\":{\"with_effect\":true,\"effect\":17"));

    EXPECT_TRUE(Has(lines[2], "\"section\":\"1\""));
    EXPECT_TRUE(Has(lines[2], "\"caption\":\"Slide 2 of 2 - \""));
    EXPECT_TRUE(Has(lines[2], "\"file\":null"));
    EXPECT_TRUE(Has(lines[2], "\"skip_reason\":\"file not found\""));
    EXPECT_TRUE(Has(lines[2], "\"delay_ms\":2000,\"hold_ms\":2000"));
    EXPECT_TRUE(Has(lines[2], "\"show_background\":\"0x00FF0000\"")); // stays from slide 0
}

TEST(CliAvl, RefusesOtherVersionsAndTooFewSlides) {
    const auto dir = testsupport::TempDir("cli_avl_refused");
    Write(dir / "old.avl", "[Header]\nVer=6\nN=5\n");
    auto r = clitest::CliOutput("avl " + (dir / "old.avl").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Only Reelmark v3.6 AVL files are supported.\nUse Reelmark slideshow editor "
                     "to update AVL file.\n");
    Write(dir / "one.avl", "[Header]\nVer=7\nN=1\n[0]\nF=a,0\n");
    r = clitest::CliOutput("avl " + (dir / "one.avl").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.out, "Two or more slides are required for slideshow."));
    EXPECT_EQ(clitest::CliOutput("avl " + (dir / "missing.avl").string()).status, 1);
    EXPECT_EQ(clitest::Cli("avl"), 2);
    EXPECT_EQ(clitest::Cli("avl x.avl --speed fast-ish"), 2);
}

} // namespace
