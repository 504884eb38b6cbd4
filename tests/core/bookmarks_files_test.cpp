// The trash and the copy, move and delete steps on real files.
#include "core/bookmarks/file_transfer.h"
#include "core/bookmarks/trash.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}
} // namespace

TEST(Trash, FileAndInfoArriveEvenWhenTheTrashFolderIsMissing) {
    const auto dir = testsupport::TempDir("trash");
    const fs::path pics = dir / "pics";
    fs::create_directories(pics);
    // The data folder's parents do not exist yet.
    const std::string trash = (dir / "no/such/share/Trash").string();
    Write(pics / "a b%.jpg", "one");
    auto moved = core::MoveToTrash((pics / "a b%.jpg").string(), trash);
    ASSERT_TRUE(moved) << moved.message();
    EXPECT_EQ(*moved, trash + "/files/a b%.jpg");
    EXPECT_FALSE(fs::exists(pics / "a b%.jpg"));
    EXPECT_EQ(testsupport::ReadText(*moved), "one");
    const std::string info = testsupport::ReadText(trash + "/info/a b%.jpg.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
    EXPECT_NE(info.find("/pics/a%20b%25.jpg\nDeletionDate="), std::string::npos) << info;
    // A second file of the same name gets a free name.
    Write(pics / "a b%.jpg", "two");
    moved = core::MoveToTrash((pics / "a b%.jpg").string(), trash);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, trash + "/files/a b%.2.jpg");
    EXPECT_TRUE(fs::exists(trash + "/info/a b%.2.jpg.trashinfo"));
    // A missing file is an error and leaves no info behind.
    EXPECT_FALSE(core::MoveToTrash((pics / "gone.jpg").string(), trash));
    EXPECT_FALSE(fs::exists(trash + "/info/gone.jpg.trashinfo"));
}

TEST(FileTransfer, CopyMoveAndTheirRefusals) {
    const auto dir = testsupport::TempDir("transfer");
    const fs::path from = dir / "from", to = dir / "to";
    fs::create_directories(from);
    fs::create_directories(to);
    Write(from / "p.jpg", "picture");
    const std::string src = (from / "p.jpg").string();

    // Into its own folder (also spelled differently): refused, file intact.
    EXPECT_FALSE(core::CheckTransfer(src, from.string()));
    EXPECT_FALSE(core::CheckTransfer(src, (to / ".." / "from" / "").string()));
    EXPECT_FALSE(core::CheckTransfer(src, (dir / "missing").string()));
    EXPECT_FALSE(core::CheckTransfer((from / "none.jpg").string(), to.string()));
    EXPECT_EQ(testsupport::ReadText(src), "picture");
    ASSERT_TRUE(core::CheckTransfer(src, to.string()));

    const std::string target = core::TransferTarget(to.string(), src);
    EXPECT_EQ(target, (to / "p.jpg").string());
    Write(target, "older");
    ASSERT_TRUE(core::TransferFile(src, target, false)); // replaces
    EXPECT_EQ(testsupport::ReadText(target), "picture");
    EXPECT_EQ(testsupport::ReadText(src), "picture");
    EXPECT_FALSE(core::TransferFile(src, src, true)); // never onto itself
    EXPECT_EQ(testsupport::ReadText(src), "picture");

    fs::remove(target);
    ASSERT_TRUE(core::TransferFile(src, target, true));
    EXPECT_FALSE(fs::exists(src));
    EXPECT_EQ(testsupport::ReadText(target), "picture");

    // A target that is a folder fails and the source stays.
    fs::create_directories(from / "q.jpg");
    EXPECT_FALSE(core::TransferFile(target, (from / "q.jpg").string(), true));
    EXPECT_TRUE(fs::exists(target));
    // No temporary files are left anywhere.
    for (const auto& e : fs::recursive_directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".part"), std::string::npos) << e.path();

    ASSERT_TRUE(core::DeletePermanently(target));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(core::DeletePermanently(target));
}
