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
    for (const char* f : {"a", "b", "c"})
        list.UpdateHistory(f);
    EXPECT_EQ(list.NextIndex(), 0); // from the last, wraps to the first
    list.select(0);
    EXPECT_EQ(list.PreviousIndex(), 2);
    list.select(-1);
    EXPECT_EQ(list.NextIndex(), 0);
}

TEST(BookmarkList, ReopeningAndStepping) {
    core::BookmarkList list;
    // a, b, then a again while b is selected: three entries; Reload adds nothing.
    for (const char* f : {"/p/a.jpg", "/p/b.jpg", "/p/a.jpg", "/p/a.jpg"})
        list.UpdateHistory(f);
    ASSERT_EQ(list.entries(), (std::vector<std::string>{"/p/a.jpg", "/p/b.jpg", "/p/a.jpg"}));
    EXPECT_EQ(list.PreviousIndex(), 1);
    // One entry: nothing to step to.
    core::BookmarkList one;
    one.UpdateHistory("x");
    EXPECT_EQ(one.NextIndex(), -1);
    EXPECT_EQ(one.PreviousIndex(), -1);
}

TEST(BookmarkList, SortKeepsNamesThatDifferOnlyInCase) {
    core::BookmarkList list;
    list.Replace({"B.jpg", "a.jpg", "b.JPG", "a.jpg", "c"});
    list.Sort();
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"a.jpg", "B.jpg", "b.JPG", "c"}));
    EXPECT_EQ(list.selected(), 0);
    core::BookmarkList empty;
    empty.Sort();
    EXPECT_EQ(empty.selected(), -1);
}

TEST(BookmarkList, RemovingTheSelectedEntry) {
    core::BookmarkList list;
    list.Replace({"a", "b", "c"});
    // Nothing selected: nothing removed.
    EXPECT_EQ(list.RemoveSelected(), -1);
    EXPECT_EQ(list.count(), 3);
    // The third: the second becomes the selection.
    list.select(2);
    EXPECT_EQ(list.RemoveSelected(), 1);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"a", "b"}));
    // The first: nothing is selected afterwards although an entry remains.
    list.select(0);
    EXPECT_EQ(list.RemoveSelected(), -1);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"b"}));
    EXPECT_EQ(list.selected(), -1);
    // Previous from no selection goes to the last entry.
    list.Replace({"a", "b", "c"});
    EXPECT_EQ(list.PreviousIndex(), 2);
    list.Clear();
    EXPECT_FALSE(list.hasEntries());
}

TEST(BookmarkList, RevisionChangesWithTheEntriesOnly) {
    core::BookmarkList list;
    unsigned r = list.revision();
    auto changed = [&] {
        const bool c = list.revision() != r;
        r = list.revision();
        return c;
    };
    list.UpdateHistory("a");
    EXPECT_TRUE(changed());
    list.UpdateHistory("a"); // the selected entry: nothing added
    list.select(-1);
    EXPECT_FALSE(changed());
    for (auto step : {+[](core::BookmarkList& l) {
                          l.AddSeveral({"x", "y"});
                      },
                      +[](core::BookmarkList& l) { l.Sort(); },
                      +[](core::BookmarkList& l) { l.RemoveSelected(); },
                      +[](core::BookmarkList& l) { l.Replace({"q"}); },
                      +[](core::BookmarkList& l) { l.Clear(); }}) {
        step(list);
        EXPECT_TRUE(changed());
    }
}
