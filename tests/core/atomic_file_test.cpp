// Saving through a temporary beside the target: what a killed save leaves is
// recognisable and goes with the next save into that folder; long names save.
#include "core/imagelib/atomic_file.h"

#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

core::Status WriteText(std::FILE* f, const char* text) {
    std::fputs(text, f);
    return core::Ok();
}

std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

} // namespace

TEST(AtomicFile, NextSaveRemovesOnlyTheTemporariesOfDeadSaves) {
    const auto dir = testsupport::TempDir("atomic-stale");
    // Above any pid the kernel hands out, so no process owns it.
    const std::string dead = ".old.tif.vistrel-save.99999999.0.tmp";
    const std::string live = ".old.tif.vistrel-save." + std::to_string(getppid()) + ".3.tmp";
    const std::set<std::string> foreign = {".old.tif.123.0.tmp", ".notes.tmp",
                                           "x.vistrel-save.1.0.tmp", ".vistrel-save.x.tmp"};
    for (const auto& n : foreign)
        testsupport::WriteBytes(dir / n, {1});
    testsupport::WriteBytes(dir / dead, {1});
    testsupport::WriteBytes(dir / live, {1});

    ASSERT_TRUE(core::imagelib::WriteFileAtomically(
        (dir / "new.png").string(), [](std::FILE* f) { return WriteText(f, "picture"); }));
    std::set<std::string> expected = foreign;
    expected.insert(live);
    expected.insert("new.png");
    EXPECT_EQ(Names(dir), expected);
    EXPECT_EQ(core::imagelib::RemoveStaleTemporaries(dir.string()), 0);
}

TEST(AtomicFile, FailedWriteLeavesTheTargetAndNoTemporary) {
    const auto dir = testsupport::TempDir("atomic-fail");
    testsupport::WriteBytes(dir / "keep.bmp", {'o', 'l', 'd'});
    auto st = core::imagelib::WriteFileAtomically((dir / "keep.bmp").string(), [](std::FILE* f) {
        (void)WriteText(f, "half");
        return core::Status(core::Error{"Stopped."});
    });
    ASSERT_FALSE(st);
    EXPECT_EQ(st.message(), "Stopped.");
    EXPECT_EQ(Names(dir), std::set<std::string>{"keep.bmp"});
    EXPECT_EQ(testsupport::ReadBytes(dir / "keep.bmp"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

TEST(AtomicFile, LongestFileNamesStillSave) {
    const auto dir = testsupport::TempDir("atomic-long");
    // 255 bytes is the longest name the file system takes; the temporary's
    // name must fit as well, and a cut must not split a UTF-8 character.
    std::string name;
    while (name.size() < 245)
        name += "\xc3\xa9"; // é
    name += ".jpeg";
    ASSERT_LE(name.size(), 255u);
    const auto target = dir / name;
    auto st = core::imagelib::WriteFileAtomically(target.string(),
                                                  [](std::FILE* f) { return WriteText(f, "x"); });
    ASSERT_TRUE(st) << st.message();
    EXPECT_EQ(Names(dir), std::set<std::string>{name});
}
