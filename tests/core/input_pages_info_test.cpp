// Page steps of multi-page documents and the Info box's text.
#include "core/common/memory.h"
#include "core/input/image_info.h"
#include "core/input/page_step.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using core::StepPage;

TEST(PageStep, WrapsAroundAtBothEnds) {
    EXPECT_EQ(StepPage(2, 3, core::kPageStepNext), 0);
    EXPECT_EQ(StepPage(0, 3, core::kPageStepPrevious), 2);
    EXPECT_EQ(StepPage(1, 3, core::kPageStepNext), 2);
    EXPECT_EQ(StepPage(1, 3, core::kPageStepPrevious), 0);
    EXPECT_EQ(StepPage(0, 3, core::kPageStepLast), 2);
    EXPECT_EQ(StepPage(2, 3, core::kPageStepFirst), 0);
    EXPECT_EQ(core::PageStatusText(StepPage(0, 3, core::kPageStepLast), 3), "Page 3 of 3");
}

TEST(PageStep, NoPagesNeverGivesANegativePage) {
    for (int count : {0, -1, -5})
        for (int step : {core::kPageStepPrevious, core::kPageStepNext, core::kPageStepFirst,
                         core::kPageStepLast})
            EXPECT_EQ(StepPage(0, count, step), 0) << count << " " << step;
    // A page past the end (the count shrank) steps from the last page.
    EXPECT_EQ(StepPage(7, 3, core::kPageStepNext), 0);
    EXPECT_EQ(StepPage(7, 3, core::kPageStepPrevious), 1);
    EXPECT_EQ(StepPage(-4, 3, core::kPageStepPrevious), 2);
    EXPECT_EQ(StepPage(0, 1, core::kPageStepNext), 0);
}

TEST(ImageInfo, MemoryByDepthIsUnroundedAnd64Bit) {
    EXPECT_EQ(core::PictureMemoryBytes(640, 480, 24), 921600);
    EXPECT_EQ(core::PictureMemoryBytes(641, 3, 1), 240); // 1923 / 8, rounded down
    EXPECT_EQ(core::PictureMemoryBytes(3, 3, 4), 4);
    EXPECT_EQ(core::PictureMemoryBytes(3, 3, 15), 18);
    EXPECT_EQ(core::PictureMemoryBytes(3, 3, 32), 36);
    EXPECT_EQ(core::PictureMemoryBytes(3, 3, 7), -1);
    EXPECT_EQ(core::PictureMemoryBytes(40000, 30000, 24), 3600000000LL);
}

namespace {
core::ImageInfoInput Input() {
    core::ImageInfoInput in;
    in.description = "640x480x16m ddb";
    in.currentFile = "/pics/holiday/a.png";
    in.width = 640;
    in.height = 480;
    in.bits = 24;
    in.freeBytes = 5000000000ULL;
    in.screenBits = 24;
    in.dateText = "12/09/26 11:56";
    return in;
}
} // namespace

TEST(ImageInfo, TextLineByLine) {
    EXPECT_EQ(core::ImageInfoText(Input()), "640x480x16m ddb\n"
                                            "Name: a.png\n"
                                            "Path: /pics/holiday/\n"
                                            "Date: 12/09/26 11:56\n"
                                            "Uses: 921600 bytes\n"
                                            "Free: 5000000000 bytes\n"
                                            "\n"
                                            "Video: 24 bpp");
    core::ImageInfoInput pages = Input();
    pages.pageCount = 3;
    pages.packDescription = "Orientation: Landscape";
    const std::string t = core::ImageInfoText(pages);
    EXPECT_NE(t.find("Date: 12/09/26 11:56\nPages: 3\nUses: "), std::string::npos) << t;
    EXPECT_TRUE(t.ends_with("Video: 24 bpp\n\nOrientation: Landscape")) << t;
    core::ImageInfoInput one = Input();
    one.pageCount = 1;
    EXPECT_EQ(core::ImageInfoText(one).find("Pages:"), std::string::npos);
}

TEST(ImageInfo, UntitledAndDeletedFilesLeaveLinesOut) {
    core::ImageInfoInput pasted = Input();
    pasted.currentFile = "Untitled";
    const std::string t = core::ImageInfoText(pasted);
    EXPECT_NE(t.find("\nName: Untitled\nUses: "), std::string::npos) << t;
    EXPECT_EQ(t.find("Path:"), std::string::npos);
    EXPECT_EQ(t.find("Date:"), std::string::npos);

    // A file deleted since it was opened has no date, not one of 1970.
    const auto dir = testsupport::TempDir("info_date");
    const std::string path = (dir / "gone.bmp").string();
    std::ofstream(path) << "x";
    const auto date = core::FileDateText(path);
    ASSERT_TRUE(date.has_value());
    EXPECT_EQ(date->find("1970"), std::string::npos);
    std::filesystem::remove(path);
    EXPECT_FALSE(core::FileDateText(path).has_value());

    core::DocumentState doc;
    doc.CurrentFile = path;
    doc.PictureBits = 24;
    auto picture = core::Bitmap::Create(640, 480, 24);
    ASSERT_TRUE(picture);
    core::SetFreeMemoryProvider([] { return std::uint64_t{123456789}; });
    const std::string gone = core::ImageInfoText(core::ImageInfoOf(doc, *picture, false, 8));
    core::SetFreeMemoryProvider({});
    EXPECT_NE(gone.find("Path: " + dir.string() + "/\nUses: 921600 bytes\n"), std::string::npos)
        << gone;
    EXPECT_NE(gone.find("Free: 123456789 bytes\n\nVideo: 8 bpp"), std::string::npos) << gone;
}

// A Photo CD pack's description follows the box's text after a blank line;
// another file keeps no stale description from a pack opened before.
TEST(ImageInfo, PackDescriptionOnlyForPacks) {
    core::DocumentState doc;
    doc.CurrentFile = "/discs/photo_cd/images/img0001.pcd";
    doc.CurrentExt = ".PCD";
    doc.PictureBits = 24;
    doc.PhotoCdDescription = "Resolution: 768 x 512";
    auto picture = core::Bitmap::Create(768, 512, 24);
    ASSERT_TRUE(picture);
    const std::string pack = core::ImageInfoText(core::ImageInfoOf(doc, *picture, false, 24));
    EXPECT_NE(pack.find("bpp\n\nResolution: 768 x 512"), std::string::npos) << pack;
    doc.CurrentExt = ".JPG";
    const std::string other = core::ImageInfoText(core::ImageInfoOf(doc, *picture, false, 24));
    EXPECT_EQ(other.find("Resolution:"), std::string::npos) << other;
}
