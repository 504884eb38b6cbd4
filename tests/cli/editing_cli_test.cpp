// The edit options of vistrel-cli convert: ranges and order, and that each
// gives what the core routine gives on the same picture.
#include "cli/cli_support.h"
#include "core/editing/color_lut.h"
#include "core/editing/effect_modes.h"
#include "core/editing/undo_backup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

using clitest::Cli;
using clitest::ReadBmp;
using clitest::Sample;

TEST(CliEdits, ValuesOutsideTheDialogRangesAreUsageErrors) {
    clitest::ExpectUsageErrors("cli_edits_range",
                               {"--gamma 0", "--gamma 501", "--brightness -128", "--contrast 128",
                                "--gamma-rgb 100,100", "--gamma-rgb 100,100,100,1",
                                "--mean-removal 9", "--highpass-light 5", "--soften 0",
                                "--defocus 256", "--despeckle 10", "--outlier x", "--gaussian"});
}

TEST(CliEdits, StepsRunInOrderAsTheCoreRoutines) {
    const auto dir = testsupport::TempDir("cli_edits_order");
    ASSERT_EQ(Cli("convert " + Sample() + " " + (dir / "plain.bmp").string()), 0);
    ASSERT_EQ(
        Cli("convert " + Sample() + " " + (dir / "a.bmp").string() +
            " --brightness-rgb 20,0,-20 --defocus 200 --negative --despeckle 3 --outlier 255"),
        0);
    core::Bitmap expect = ReadBmp(dir / "plain.bmp");
    using namespace core::editing;
    ApplyEffect(expect, kModeBrightnessRgb, 20, 0, -20);
    ApplyEffect(expect, kModeDefocus, 200);
    InvertPixels(expect);
    ApplyEffect(expect, kModeDespeckle, 3);
    ApplyEffect(expect, kModeOutlier, 255);
    const core::Bitmap got = ReadBmp(dir / "a.bmp");
    ASSERT_EQ(got.width(), expect.width());
    for (int y = 0; y < got.height(); ++y)
        ASSERT_EQ(std::memcmp(got.row(y), expect.row(y), static_cast<std::size_t>(got.width()) * 3),
                  0)
            << y;
}
