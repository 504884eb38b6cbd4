// The transform options of vistrel-cli convert: ranges, order (also mixed
// with the edit options) and the depths they give.
#include "cli/cli_support.h"
#include "core/editing/undo_backup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using clitest::Cli;
using clitest::ReadBmp;
using clitest::Sample;

TEST(CliTransforms, OutOfRangeValuesAreUsageErrors) {
    clitest::ExpectUsageErrors("cli_transform_range",
                               {"--rotate 0", "--rotate 36000", "--resize 0x10",
                                "--resize 16385x10", "--resize 10x10:3", "--resample 10x10:1",
                                "--promote 16", "--reduce 8", "--reduce 16:3", "--reduce 2:-1",
                                "--rotate"});
}

TEST(CliTransforms, StepsRunInTheOrderGiven) {
    const auto dir = testsupport::TempDir("cli_transform_order");
    const auto a = dir / "a.bmp", b = dir / "b.bmp", c = dir / "c.bmp";
    // Resample then rotate a quarter: 48 × 32 becomes 32 × 48.
    ASSERT_EQ(Cli("convert " + Sample() + " " + a.string() + " --resample 48x32 --rotate 9000"), 0);
    core::Bitmap pa = ReadBmp(a);
    EXPECT_EQ(pa.width(), 32);
    EXPECT_EQ(pa.height(), 48);
    // Gray shades of a picture below 8 bits ask for 16 shades: the order decides the depth.
    ASSERT_EQ(
        Cli("convert " + Sample() + " " + b.string() + " --resample 48x32 --gray --reduce 2:0"), 0);
    EXPECT_EQ(ReadBmp(b).bits(), 1);
    ASSERT_EQ(Cli("convert " + Sample() + " " + c.string() +
                  " --resample 48x32 --reduce 2:0 --negative --gray"),
              0);
    EXPECT_EQ(ReadBmp(c).bits(), 4);
}
