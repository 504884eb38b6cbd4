#include "core/bookmarks/bookmark_list.h"

#include <gtest/gtest.h>

TEST(BookmarkList, UpdateHistoryAppendsUnlessSelectedAndKeepsCase) {
    core::BookmarkList list;
    list.UpdateHistory("/pics/Photo.JPG");
    list.UpdateHistory("/pics/Photo.JPG"); // the selected entry: nothing added
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.entries()[0], "/pics/Photo.JPG");
    // Paths differing only in case are different files here.
    list.UpdateHistory("/pics/photo.jpg");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.selected(), 1);
    // In the list but not selected: appended again.
    list.select(1);
    list.UpdateHistory("/pics/Photo.JPG");
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.selected(), 2);
}

TEST(BookmarkList, SeveralFilesAddLastFirstAndLeaveTheFirstToOpen) {
    core::BookmarkList list;
    list.AddSeveral({"a.jpg", "b.jpg", "c.jpg"});
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.entries()[0], "c.jpg");
    EXPECT_EQ(list.entries()[1], "b.jpg");
    EXPECT_EQ(list.selected(), -1);
    list.UpdateHistory("a.jpg");
    EXPECT_EQ(list.entries()[2], "a.jpg");
    EXPECT_TRUE(list.canStep());
}

TEST(BookmarkList, StepsWrapAround) {
    core::BookmarkList list;
    EXPECT_EQ(list.NextIndex(), -1);
    for (const char* f : {"a", "b", "c"}) list.UpdateHistory(f);
    EXPECT_EQ(list.NextIndex(), 0); // from the last, wraps to the first
    list.select(0);
    EXPECT_EQ(list.PreviousIndex(), 2);
    list.select(-1);
    EXPECT_EQ(list.NextIndex(), 0);
}
