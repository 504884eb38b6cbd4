// vistrel-cli print-layout: the layout dialog's numbers and texts, verbatim.
#include "cli/cli_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

clitest::RunResult Layout(const std::string& args) {
    return clitest::CliOutput("print-layout " + args);
}

} // namespace

TEST(CliPrintLayout, DialogAsItOpensAndAfterTheSizeBarMoved) {
    auto r = Layout("--page 480x640 --dpi 300 --picture 30x20");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "DocWidth\t480\n"
                     "DocHeight\t320\n"
                     "x\t0\n"
                     "y\t160\n"
                     "XScroll\t0\t0\t1\n"
                     "YScroll\t160\t320\t40\n"
                     "PanelSettings\tPortrait : 1.6 x 2.1  (300 x 300 dpi)\n"
                     "LabelDocW\tWidth : 1.6\n"
                     "LabelDocH\tHeight: 1.1\n"
                     "LabelXPos\t&X pos : 0.0\n"
                     "LabelYpos\t&Y pos : 0.5\n"
                     "ZoomLabel\t  Si&ze: 100%\n");
    r = Layout("--page 480x640 --dpi 300 --picture 30x20 --size 50 --unit cm");
    ASSERT_EQ(r.status, 0);
    const auto lines = clitest::Lines(r.out);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "DocWidth\t240");
    EXPECT_EQ(lines[1], "DocHeight\t160");
    EXPECT_EQ(lines[2], "x\t120");
    EXPECT_EQ(lines[3], "y\t240");
    EXPECT_EQ(lines[4], "XScroll\t120\t240\t30");
    EXPECT_EQ(lines[5], "YScroll\t240\t480\t60");
    EXPECT_EQ(lines[7], "LabelDocW\tWidth : 2.0");
    EXPECT_EQ(lines[11], "ZoomLabel\t  Si&ze : 50%");
}

TEST(CliPrintLayout, PixelsLandscapeAndTwoResolutions) {
    const auto r = Layout("--page 3508x2479 --dpi 300x600 --picture 1x20000 --orientation "
                          "landscape --unit pixels");
    ASSERT_EQ(r.status, 0);
    const auto lines = clitest::Lines(r.out);
    ASSERT_EQ(lines.size(), 12u);
    // A sliver stays one pixel wide; the bar along it cannot move.
    EXPECT_EQ(lines[0], "DocWidth\t1");
    EXPECT_EQ(lines[1], "DocHeight\t2479");
    EXPECT_EQ(lines[4], "XScroll\t1753\t3507\t438");
    EXPECT_EQ(lines[5], "YScroll\t0\t0\t1");
    EXPECT_EQ(lines[6], "PanelSettings\tLandscape: 3508 x 2479  (300 x 600 dpi)");
    EXPECT_EQ(lines[9], "LabelXPos\t&X pos : 1753");
}

TEST(CliPrintLayout, WrongCallsAreUsageErrors) {
    for (const char* bad : {"", "--page 480x640 --dpi 300", "--page 480 --dpi 300 --picture 3x2",
                            "--page 480x640 --dpi 0 --picture 3x2",
                            "--page 480x640 --dpi 300 --picture 0x2",
                            "--page 480x640 --dpi 300 --picture 3x2 --size 0",
                            "--page 480x640 --dpi 300 --picture 3x2 --size 101",
                            "--page 480x640 --dpi 300 --picture 3x2 --unit mm",
                            "--page 480x640 --dpi 300 --picture 3x2 --orientation up",
                            "--page -4x640 --dpi 300 --picture 3x2",
                            "--page 480x640 --dpi 300 --picture 3x2 --size"})
        EXPECT_EQ(clitest::Cli(std::string("print-layout ") + bad), 2) << bad;
}
