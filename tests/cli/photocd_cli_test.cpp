// Photo CD packs through vistrel-cli: the resolution step and the facts printed.
#include "cli/cli_support.h"
#include "core/pcd_writer.h"

namespace {

using clitest::CliOutput;

std::uint32_t Gray(int x, int y, int w, int h) {
    const int v = 30 + 190 * (x + y) / (w + h);
    return (std::uint32_t(v) << 16) | (std::uint32_t(v) << 8) | std::uint32_t(v);
}

TEST(CliPhotoCd, InfoAndConvertAtAStep) {
    pcdgen::PackSpec spec;
    spec.rotation = 3;
    const auto pack = pcdgen::MakePack(Gray, spec);
    const auto dir = testsupport::TempDir("cli_pcd");
    const auto file = dir / "IMG0001.PCD";
    testsupport::WriteBytes(file, pack.bytes);

    auto r = CliOutput("info " + file.string());
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("width: 512\nheight: 768\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("pcd-resolution: 3 (512x768)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("pcd-orientation: Portrait\n"), std::string::npos);

    r = CliOutput("info " + file.string() + " --pcd-step 1");
    EXPECT_NE(r.out.find("width: 128\nheight: 192\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("pcd-resolution: 1 (128x192)\n"), std::string::npos);
    // The pack holds nothing above Base: step 6 is read at Base.
    r = CliOutput("info " + file.string() + " --pcd-step 6");
    EXPECT_NE(r.out.find("pcd-resolution: 3 (512x768)\n"), std::string::npos) << r.out;
    EXPECT_EQ(CliOutput("info " + file.string() + " --pcd-step 7").status, 2);

    const auto out = dir / "small.bmp";
    ASSERT_EQ(CliOutput("convert " + file.string() + " " + out.string() + " --pcd-step 0").status, 0);
    r = CliOutput("info " + out.string());
    EXPECT_NE(r.out.find("width: 64\nheight: 96\n"), std::string::npos) << r.out;

    // A cut pack is refused with a message, not a crash.
    auto cut = pack.bytes;
    cut.resize(100000);
    testsupport::WriteBytes(dir / "IMG0002.PCD", cut);
    EXPECT_EQ(CliOutput("info " + (dir / "IMG0002.PCD").string()).status, 1);
}

} // namespace
