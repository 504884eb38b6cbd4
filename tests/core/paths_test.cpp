#include "core/common/paths.h"
#include "core/input/extension_lists.h"

#include <gtest/gtest.h>

TEST(Paths, ExtensionsAndParts) {
    EXPECT_EQ(core::UpperExtension("/a/b/photo.Jpg"), ".JPG");
    EXPECT_EQ(core::UpperExtension("/a.dir/noext"), "");
    EXPECT_EQ(core::UpperExtension("photo."), ".");
    EXPECT_EQ(core::FileNamePart("/a/b/Photo.JPG"), "Photo.JPG");
    EXPECT_EQ(core::FolderPart("/a/b/Photo.JPG"), "/a/b/");
    EXPECT_EQ(core::LongPathName("/Mixed/Case/File.TIF"), "/Mixed/Case/File.TIF");
    EXPECT_EQ(core::WithBackslash("/tmp"), "/tmp/");
    EXPECT_EQ(core::WithBackslash("/"), "/");
}

TEST(ExtensionLists, SubstringMembership) {
    using core::InList;
    EXPECT_TRUE(InList(".JP", core::kAcceptedList));
    EXPECT_TRUE(core::IsJpegExtension(".JP"));
    EXPECT_TRUE(core::IsJpegExtension(".JPEG"));
    EXPECT_TRUE(InList(".TIFF", core::kAcceptedList));
    EXPECT_TRUE(InList(".TIFF", core::kImageManList));
    EXPECT_TRUE(InList(".", core::kAcceptedList));
    EXPECT_FALSE(InList("", core::kAcceptedList));
    EXPECT_FALSE(InList(".GIF", core::kAcceptedList));
    EXPECT_TRUE(InList(".MP3", core::kMediaList));
    EXPECT_FALSE(InList(".PNG", core::kMediaList));
}
