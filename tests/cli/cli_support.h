// Running vistrel-cli from the cli tests.
#pragma once

#include "core/editing/undo_backup.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

namespace clitest {

// The lines of a tool's output, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The tool's exit status; its messages are dropped.
inline int Cli(const std::string& args) {
    return testsupport::Run(std::string(VISTREL_CLI) + " " + args + " 2>/dev/null");
}

struct RunResult {
    int status = -1;
    std::string out;
};

// The exit status and what the tool printed on stdout.
inline RunResult CliOutput(const std::string& args) {
    RunResult r;
    const std::string cmd = std::string(VISTREL_CLI) + " " + args + " 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p.get())) > 0)
        r.out.append(buf.data(), n);
    const int rc = pclose(p.release());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return r;
}

inline std::string Sample() {
    return std::string(VISTREL_SAMPLE_DIR) + "/sample.jpg";
}

// Each of the options, given to convert of the sample picture, is a usage
// error (status 2) and no output file appears.
inline void ExpectUsageErrors(const std::string& name, std::initializer_list<const char*> options) {
    const auto dir = testsupport::TempDir(name);
    const std::string out = (dir / "o.bmp").string();
    for (const char* bad : options)
        EXPECT_EQ(Cli("convert " + Sample() + " " + out + " " + bad), 2) << bad;
    EXPECT_FALSE(std::filesystem::exists(out));
}

// A w × h plasma picture written by ImageMagick as src.png in dir (a failure
// names the missing tool); call through ASSERT_NO_FATAL_FAILURE.
inline void MakePlasma(const std::filesystem::path& dir, int seed, int w, int h,
                       std::filesystem::path* src) {
    ASSERT_TRUE(testsupport::HaveTool("convert"));
    *src = dir / "src.png";
    ASSERT_EQ(testsupport::Run("convert -seed " + std::to_string(seed) + " -size " +
                               std::to_string(w) + "x" + std::to_string(h) +
                               " plasma:fractal -depth 8 " + src->string()),
              0);
}

// A BMP the tool wrote, read back by our own reader.
inline core::Bitmap ReadBmp(const std::filesystem::path& p) {
    return core::editing::DibFileToPicture(testsupport::ReadBytes(p)).value();
}

} // namespace clitest
