// vistrel-cli --help, COMMAND --help and --version: answered without running
// the command, and a usage for every command the tool lists.
#include "cli/cli_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

using clitest::CliOutput;

namespace {

// The commands the tool's own usage lists ("vistrel-cli NAME ...").
std::set<std::string> ListedCommands() {
    std::set<std::string> names;
    const std::string usage = CliOutput("--help").out;
    const std::regex line(R"(^\s*vistrel-cli ([a-z][a-z-]*))");
    for (const std::string& l : clitest::Lines(usage)) {
        std::smatch m;
        if (std::regex_search(l, m, line)) names.insert(m[1]);
    }
    return names;
}

} // namespace

TEST(CliHelp, VersionFromEveryPlace) {
    for (const char* args : {"--version", "info --version", "convert a.jpg b.png --version"}) {
        const auto r = CliOutput(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.out, "vistrel-cli 3.6.23\n") << args;
    }
}

TEST(CliHelp, EveryListedCommandAnswersHelp) {
    const std::set<std::string> commands = ListedCommands();
    for (const char* c : {"info", "convert", "jpeg", "bookmarks", "effects", "transition"})
        EXPECT_TRUE(commands.count(c)) << c << " is missing from --help";
    for (const std::string& c : commands) {
        const auto r = CliOutput(c + " --help");
        EXPECT_EQ(r.status, 0) << c;
        EXPECT_NE(r.out.find("vistrel-cli " + c), std::string::npos) << c << ": " << r.out;
        EXPECT_EQ(CliOutput("help " + c).out, r.out) << c;
        EXPECT_EQ(CliOutput(c + " -h").out, r.out) << c;
    }
    // A command's usage names its own options.
    const std::string info = CliOutput("info --help").out;
    EXPECT_NE(info.find("--fax-quality"), std::string::npos);
    EXPECT_EQ(info.find("--jpeg-compression"), std::string::npos);
    const std::string convert = CliOutput("convert --help").out;
    for (const char* o : {"--jpeg-compression", "--depth", "--despeckle", "--rotate", "--reduce"})
        EXPECT_NE(convert.find(o), std::string::npos) << o;
}

TEST(CliHelp, HelpNeverRunsTheCommand) {
    const auto dir = testsupport::TempDir("cli-help");
    const std::string out = (dir / "out.png").string();
    const auto r = CliOutput("convert " + clitest::Sample() + " " + out + " --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: vistrel-cli convert", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliHelp, AfterDoubleDashHelpIsAFileName) {
    // A file called --help is opened, not taken as a request for help.
    const auto r = CliOutput("info -- --help");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find("usage"), std::string::npos);
}

TEST(CliHelp, ACommandWithoutItsOwnUsageGetsTheWholeUsage) {
    const auto all = CliOutput("--help");
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out.rfind("usage:", 0), 0u);
    for (const char* args : {"help", "-h", "help no-such-command", "no-such-command --help"}) {
        const auto r = CliOutput(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.out, all.out) << args;
    }
    // Without a request for help an unknown command stays a usage error.
    EXPECT_EQ(clitest::Cli("no-such-command"), 2);
}
