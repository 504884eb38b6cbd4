// vistrel-cli as a user runs it: exit codes, the info lines, the written files.
#include "cli/cli_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

using clitest::Sample;

namespace {
clitest::RunResult Cli(const std::string& args) {
    return clitest::CliOutput(args);
}
} // namespace

TEST(Cli, InfoOnTheSamplePicture) {
    const auto r = Cli("info " + Sample());
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("width: 960\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("height: 640\n"), std::string::npos);
    EXPECT_NE(r.out.find("bits: 24\n"), std::string::npos);
    EXPECT_NE(r.out.find("pages: 1\n"), std::string::npos);
    EXPECT_NE(r.out.find("type: JPEG\n"), std::string::npos);
    EXPECT_NE(r.out.find("description: 960x640x16m ddb\n"), std::string::npos);
}

TEST(Cli, ExitCodes) {
    EXPECT_EQ(Cli("").status, 2);
    EXPECT_EQ(Cli("frobnicate x").status, 2);
    EXPECT_EQ(Cli("info").status, 2);
    EXPECT_EQ(Cli("info a b").status, 2);
    EXPECT_EQ(Cli("info " + Sample() + " --page 0").status, 2);
    EXPECT_EQ(Cli("info " + Sample() + " --fax-quality 4").status, 2);
    EXPECT_EQ(Cli("convert " + Sample() + " out.png --decode-box 10").status, 2);
    EXPECT_EQ(Cli("convert " + Sample() + " out.xyz").status, 2);
    EXPECT_EQ(Cli("info /nonexistent/picture.png").status, 1);
    EXPECT_EQ(Cli("info " + Sample() + " --page 2").status, 1);
    const auto dir = testsupport::TempDir("cli-exit");
    testsupport::WriteBytes(dir / "empty.pcx", {});
    testsupport::WriteBytes(dir / "junk.tif", {1, 2, 3, 4, 5, 6, 7, 8});
    testsupport::WriteBytes(dir / "notes.txt", {'h', 'i'});
    EXPECT_EQ(Cli("info " + (dir / "empty.pcx").string()).status, 1);
    EXPECT_EQ(Cli("info " + (dir / "junk.tif").string()).status, 1);
    EXPECT_EQ(Cli("info " + (dir / "notes.txt").string()).status, 1);
}

TEST(Cli, CrashersAreRefusedWithAMessage) {
    // Every file that once killed a decoder: exit 1 with a reason, no signal.
    int files = 0;
    for (const auto& e :
         std::filesystem::directory_iterator(std::string(VISTREL_TEST_DATA) + "/crashers")) {
        ++files;
        const std::string path = e.path().string();
        for (const std::string& args : {"info " + path, "convert " + path + " /dev/null.bmp",
                                        "convert " + path + " x.bmp --decode-box 40x30",
                                        "convert " + path + " x.bmp --depth 8"}) {
            SCOPED_TRACE(args);
            const std::string cmd = std::string(VISTREL_CLI) + " " + args + " 2>&1 >/dev/null";
            std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
            std::array<char, 512> buf{};
            const std::size_t n = std::fread(buf.data(), 1, buf.size() - 1, p.get());
            const int rc = pclose(p.release());
            ASSERT_TRUE(WIFEXITED(rc)) << "killed by a signal";
            EXPECT_EQ(WEXITSTATUS(rc), 1);
            EXPECT_NE(std::string(buf.data(), n).find("cannot open"), std::string::npos);
        }
    }
    EXPECT_GE(files, 1);
}

TEST(Cli, ConvertWritesTheDecodedPicture) {
    const auto dir = testsupport::TempDir("cli-convert");
    const auto bmp = dir / "full.bmp";
    ASSERT_EQ(Cli("convert " + Sample() + " " + bmp.string()).status, 0);
    const auto info = Cli("info " + bmp.string());
    EXPECT_NE(info.out.find("width: 960\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("bits: 24\n"), std::string::npos);

    // The box decode keeps the reduced size: 960x640 into 200x150 is decoded at 1/4.
    const auto small = dir / "small.png";
    ASSERT_EQ(Cli("convert " + Sample() + " " + small.string() + " --decode-box 200x150").status,
              0);
    const auto sinfo = Cli("info " + small.string());
    EXPECT_NE(sinfo.out.find("width: 240\n"), std::string::npos) << sinfo.out;
    EXPECT_NE(sinfo.out.find("height: 160\n"), std::string::npos);
}

TEST(Cli, FaxQualityOption) {
    const auto fax = testsupport::Fixture("pipe_fax.tif");
    ASSERT_TRUE(testsupport::Exists(fax));
    const auto reduced = Cli("info " + fax.string());
    EXPECT_NE(reduced.out.find("width: 860\n"), std::string::npos) << reduced.out;
    EXPECT_NE(reduced.out.find("bits: 8\n"), std::string::npos);
    EXPECT_NE(reduced.out.find("compression: CCITT G4\n"), std::string::npos);
    const auto kept = Cli("info " + fax.string() + " --fax-quality 0");
    EXPECT_NE(kept.out.find("width: 1728\n"), std::string::npos) << kept.out;
    EXPECT_NE(kept.out.find("bits: 1\n"), std::string::npos);
    EXPECT_NE(kept.out.find("description: 1728x2200x2 ddb\n"), std::string::npos);
}
