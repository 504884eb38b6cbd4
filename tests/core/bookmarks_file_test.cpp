// Bookmark list files: the byte format written and the line rules read.
#include "core/bookmarks/bookmark_file.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using Lines = std::vector<std::string>;

namespace {} // namespace

TEST(BookmarkFile, LineEndsAndTerminators) {
    using core::ParseBookmarkText;
    using namespace std::string_literals;
    EXPECT_EQ(ParseBookmarkText(""), Lines{});
    EXPECT_EQ(ParseBookmarkText("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(ParseBookmarkText("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(ParseBookmarkText("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(ParseBookmarkText("a\n\rb"), (Lines{"a", "", "b"})); // LF CR: two ends
    EXPECT_EQ(ParseBookmarkText("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(ParseBookmarkText("\r\n"), (Lines{""}));
    EXPECT_EQ(ParseBookmarkText("a\r\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(ParseBookmarkText("a\r\rb"), (Lines{"a", "", "b"})); // CR CR: two ends
    // Reading stops at the first NUL, also inside a line.
    EXPECT_EQ(ParseBookmarkText("a\r\nb\0c\r\nd"s), (Lines{"a", "b"}));
    EXPECT_EQ(ParseBookmarkText("\0a"s), Lines{});
    // Bytes other than CR, LF and NUL are kept as they are (UTF-8 names, tabs).
    EXPECT_EQ(ParseBookmarkText("/f\xC3\xBC\x72/\t x \r\n/a/a"),
              (Lines{"/f\xC3\xBC\x72/\t x ", "/a/a"}));
    // Duplicates stay.
    EXPECT_EQ(ParseBookmarkText("x\nx\n"), (Lines{"x", "x"}));
}

TEST(BookmarkFile, WriteReadRoundTripHasExactBytes) {
    const auto dir = testsupport::TempDir("vsl-roundtrip");
    const std::string path = (dir / "list.vsl").string();
    const Lines two{"/home/u/a.jpg", "/home/u/Bilder/ß b.png"};
    ASSERT_TRUE(core::WriteBookmarkFile(path, two));
    EXPECT_EQ(testsupport::ReadText(path), "/home/u/a.jpg\r\n/home/u/Bilder/ß b.png\r\n");
    auto back = core::ReadBookmarkFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, two);
    // An empty list gives an empty file; an empty entry survives the trip.
    ASSERT_TRUE(core::WriteBookmarkFile(path, {}));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    ASSERT_TRUE(core::WriteBookmarkFile(path, {"", "b"}));
    EXPECT_EQ(core::ReadBookmarkFile(path).value(), (Lines{"", "b"}));
    // A list saved with bare CRs: CR CR ends two lines, the second empty.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "a\r\rb";
    EXPECT_EQ(core::ReadBookmarkFile(path).value(), (Lines{"a", "", "b"}));
}

TEST(BookmarkFile, FailuresKeepTheOldFile) {
    const auto dir = testsupport::TempDir("vsl-fail");
    EXPECT_FALSE(core::ReadBookmarkFile((dir / "missing.vsl").string()));
    EXPECT_FALSE(core::ReadBookmarkFile(dir.string())); // a folder
    // A file size limit makes the write fail (also for root) and the old list stays.
    const std::string path = (dir / "old.vsl").string();
    std::ofstream(path, std::ios::binary) << "keep\r\n";
    {
        testsupport::FileSizeLimit limit(2);
        EXPECT_FALSE(core::WriteBookmarkFile(path, {"new"}));
    }
    EXPECT_EQ(testsupport::ReadText(path), "keep\r\n");
}
