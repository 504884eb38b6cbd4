// vistrel-cli convert and jpeg as writers: every format by OUT's extension,
// the depth asked for, the JPEG options, read back by independent tools.
#include "cli/cli_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using clitest::Cli;
using clitest::Sample;

namespace {

namespace fs = std::filesystem;

// What ImageMagick says of a file: "%w %h %z %r" and the like.
std::string Identify(const fs::path& file, const std::string& format) {
    const auto out = file.string() + ".txt";
    testsupport::Run("identify -format '" + format + "' " + file.string() + " > " + out);
    const auto bytes = testsupport::ReadBytes(out);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(CliConvert, EveryFormatKeepsThePixels) {
    const auto dir = testsupport::TempDir("cli-out");
    fs::path src;
    ASSERT_NO_FATAL_FAILURE(clitest::MakePlasma(dir, 4, 45, 31, &src));
    const auto ref = dir / "src.ppm";
    ASSERT_EQ(testsupport::Run("convert " + src.string() + " " + ref.string()), 0);
    for (const char* ext : {"bmp", "dib", "pcx", "tif", "tiff", "png"}) {
        SCOPED_TRACE(ext);
        const auto out = dir / (std::string("o.") + ext);
        ASSERT_EQ(Cli("convert " + src.string() + " " + out.string()), 0);
        const auto back = dir / "back.ppm";
        const std::string prefix = std::string(ext) == "dib" ? "bmp:" : "";
        ASSERT_EQ(
            testsupport::Run("convert " + prefix + out.string() + " -depth 8 ppm:" + back.string()),
            0);
        EXPECT_EQ(testsupport::ReadBytes(back), testsupport::ReadBytes(ref));
    }
    for (const char* ext : {"jpg", "jpeg"}) {
        const auto out = dir / (std::string("o.") + ext);
        ASSERT_EQ(Cli("convert " + src.string() + " " + out.string() + " --jpeg-compression 100"),
                  0);
        EXPECT_EQ(Identify(out, "%m %wx%h %[jpeg:sampling-factor]"), "JPEG 45x31 1x1,1x1,1x1");
    }
    fs::remove_all(dir);
}

TEST(CliConvert, JpegOptionsAndDepths) {
    const auto dir = testsupport::TempDir("cli-jpeg");
    fs::path src;
    ASSERT_NO_FATAL_FAILURE(clitest::MakePlasma(dir, 9, 80, 60, &src));
    // Compression 1 (scale 255) is smaller than 50 (scale 130) and than 100 (scale 2).
    auto size = [&](const std::string& opts) {
        const auto out = dir / "c.jpg";
        EXPECT_EQ(Cli("convert " + src.string() + " " + out.string() + " " + opts), 0);
        return fs::file_size(out);
    };
    EXPECT_LT(size("--jpeg-compression 1"), size(""));
    EXPECT_LT(size(""), size("--jpeg-compression 100"));
    size("--jpeg-gray --progressive");
    EXPECT_EQ(Identify(dir / "c.jpg", "%[colorspace] %[interlace]"), "Gray JPEG");

    // The wizard's encoder: the scale is the one named; --scale is needed.
    const auto w = dir / "w.jpg";
    EXPECT_EQ(Cli("jpeg " + src.string() + " " + w.string() + " --scale 48 --smoothing 255"), 0);
    EXPECT_EQ(Identify(w, "%m %wx%h"), "JPEG 80x60");
    EXPECT_EQ(Cli("jpeg " + src.string() + " " + w.string()), 2);
    EXPECT_EQ(Cli("convert " + src.string() + " x.jpg --jpeg-compression 0"), 2);
    EXPECT_EQ(Cli("convert " + src.string() + " x.gif"), 2);

    // Depths: promotion always; fewer bits only while no colour is lost.
    const auto two = dir / "two.png";
    ASSERT_EQ(testsupport::Run("convert -size 20x10 xc:white -fill black -draw 'rectangle 0,0 9,9' "
                               "-type bilevel " +
                               two.string()),
              0);
    for (const char* d : {"1", "4", "8", "24"}) {
        SCOPED_TRACE(d);
        const auto out = dir / (std::string("d") + d + ".bmp");
        ASSERT_EQ(Cli("convert " + two.string() + " " + out.string() + " --depth " + d), 0);
        EXPECT_EQ(testsupport::Run("compare -metric AE " + two.string() + " " + out.string() +
                                   " null: 2>/dev/null"),
                  0);
        const std::string bits = std::to_string(testsupport::ReadBytes(out)[28]);
        EXPECT_EQ(bits, d);
    }
    EXPECT_EQ(Cli("convert " + src.string() + " " + (dir / "x.bmp").string() + " --depth 4"), 1);
    EXPECT_EQ(Cli("convert " + src.string() + " x.bmp --depth 5"), 2);
    fs::remove_all(dir);
}
