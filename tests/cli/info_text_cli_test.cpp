// vistrel-cli info --text: the Info box's text as the window shows it.
#include "cli_support.h"

#include <gtest/gtest.h>

TEST(InfoTextCli, EveryLineOfTheBox) {
    const auto dir = testsupport::TempDir("info_text");
    ASSERT_TRUE(testsupport::HaveTool("convert"));
    const auto png = dir / "photo.png";
    ASSERT_EQ(testsupport::Run("convert -size 640x480 gradient:red-blue -define png:color-type=2 " +
                               png.string()),
              0);
    const clitest::RunResult r = clitest::CliOutput("info " + png.string() + " --text");
    ASSERT_EQ(r.status, 0);
    const auto lines = clitest::Lines(r.out);
    ASSERT_EQ(lines.size(), 8u) << r.out;
    EXPECT_EQ(lines[0], "640x480x16m ddb");
    EXPECT_EQ(lines[1], "Name: photo.png");
    EXPECT_EQ(lines[2], "Path: " + dir.string() + "/");
    EXPECT_TRUE(lines[3].starts_with("Date: ")) << lines[3];
    EXPECT_EQ(lines[4], "Uses: 921600 bytes");
    EXPECT_TRUE(lines[5].starts_with("Free: ") && lines[5].ends_with(" bytes")) << lines[5];
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "Video: 24 bpp");

    // A 3-page fax: the pages, and its 1-bit pages reduced to gray at half size.
    const auto fax = dir / "fax.tif";
    ASSERT_EQ(testsupport::Run("convert -size 64x40 pattern:gray50 pattern:gray25 pattern:gray75 "
                               "-monochrome -compress Group4 " +
                               fax.string()),
              0);
    const auto paged = clitest::Lines(clitest::CliOutput("info " + fax.string() + " --text").out);
    ASSERT_GE(paged.size(), 6u);
    EXPECT_EQ(paged[0], "28x16x256 ddb");
    EXPECT_EQ(paged[4], "Pages: 3");
    EXPECT_EQ(paged[5], "Uses: 1344 bytes"); // 28 × 16 × 3: held 24-bit for the true-colour screen
    EXPECT_EQ(clitest::Cli("info " + (dir / "missing.png").string() + " --text"), 1);
    EXPECT_EQ(clitest::Cli("convert " + png.string() + " " + (dir / "o.bmp").string() + " --text"),
              2);
}
