// vistrel-cli bookmarks: a bookmark file's entries as the program loads them.
#include "cli/cli_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace {
std::pair<int, std::string> Bookmarks(const std::string& arg) {
    auto r = clitest::CliOutput("bookmarks " + arg);
    return {r.status, r.out};
}
} // namespace

TEST(CliBookmarks, PrintsIndexedEntries) {
    const auto dir = testsupport::TempDir("cli-vsl");
    const auto file = dir / "list.vsl";
    testsupport::WriteBytes(
        file, {'a', '\r', '\n', '\r', '\n', 'b', '\n', '\r', 0xC3, 0xA4, 0, 'x', '\n'});
    auto [rc, out] = Bookmarks(file.string());
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, "0\ta\n1\t\n2\tb\n3\t\n4\t\xC3\xA4\n");
    testsupport::WriteBytes(file, {});
    std::tie(rc, out) = Bookmarks(file.string());
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Bookmarks((dir / "missing.vsl").string()).first, 1);
    EXPECT_EQ(Bookmarks("").first, 2);
}
