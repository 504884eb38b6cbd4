// Fitting paths into the folder browser's status line, measured in characters.
#include "core/bookmarks/compact_path.h"

#include <gtest/gtest.h>

namespace {
int Chars(const std::string& s) {
    return static_cast<int>(s.size());
}
} // namespace

TEST(CompactPath, LosesOneLeadingFolderPerStep) {
    const std::string p = "/home/a/b/c/d";
    EXPECT_EQ(core::CompactPath(p, 13, Chars), p);
    EXPECT_EQ(core::CompactPath(p, 12, Chars), "/.../a/b/c/d");
    EXPECT_EQ(core::CompactPath(p, 11, Chars), "/.../b/c/d");
    EXPECT_EQ(core::CompactPath(p, 8, Chars), "/.../c/d");
    EXPECT_EQ(core::CompactPath(p, 6, Chars), "/.../d");
    EXPECT_EQ(core::CompactPath(p, 5, Chars), ".../d");
    EXPECT_EQ(core::CompactPath(p, 4, Chars), "d");
    EXPECT_EQ(core::CompactPath(p, 0, Chars), "d");
    // A trailing separator does not hide the last name.
    EXPECT_EQ(core::CompactPath("/home/a/b/", 7, Chars), "/.../b");
    // A drive is kept until the step that drops it.
    EXPECT_EQ(core::CompactPath("C:/a/b/c/d", 9, Chars), "C:/.../d");
    EXPECT_EQ(core::CompactPath("C:/a/b/c/d", 7, Chars), ".../d");
}

TEST(CompactPath, OtherTextIsCutAtTheEnd) {
    EXPECT_EQ(core::CompactText("Network", 7, Chars), "Network");
    EXPECT_EQ(core::CompactText("Network", 6, Chars), "Net...");
    EXPECT_EQ(core::CompactText("Network", 2, Chars), "...");
    // Never inside a UTF-8 character.
    EXPECT_EQ(core::CompactText("ab\xC3\xBC"
                                "cd",
                                5, Chars),
              "ab...");
}
