// The undo backup in both forms, the DIB stream packing and the depth changes.
#include "core/common/dib.h"
#include "core/editing/color_lut.h"
#include "core/editing/make_dib.h"
#include "core/editing/undo_backup.h"

#include "editing_reference.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace core::editing;

namespace {

core::Bitmap Indexed8(int w, int h) {
    core::Bitmap pic = core::Bitmap::Create(w, h, 8).value();
    for (int i = 0; i < 256; ++i)
        pic.palette()[static_cast<std::size_t>(i)] =
            core::Rgbq{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                       static_cast<std::uint8_t>(i * 7), 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pic.row(y)[x] = static_cast<std::uint8_t>(x * 31 + y * 5);
    return pic;
}

bool Same(const core::Bitmap& a, const core::Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.bits() != b.bits() ||
        a.palette() != b.palette())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

} // namespace

TEST(UndoBackup, BothFormsRestoreDepthAndPalette) {
    for (bool stream : {false, true}) {
        core::Bitmap pic = Indexed8(19, 7);
        const core::Bitmap original = pic;
        UndoBackup backup;
        ASSERT_TRUE(backup.Take(pic, 8, stream, true).ok());
        EXPECT_TRUE(backup.held());
        EXPECT_EQ(backup.inStream(), stream);
        // The edit: 24 bits and a negative; the backup must not follow it.
        ASSERT_TRUE(ConvertToDib(pic, 24).ok());
        InvertPixels(pic);
        auto restored = backup.Restore();
        ASSERT_TRUE(restored.ok()) << restored.message();
        EXPECT_EQ(restored->depth, 8);
        EXPECT_TRUE(Same(restored->picture, original)) << stream;
        EXPECT_FALSE(backup.held());
        EXPECT_FALSE(backup.Restore().ok()); // only once
    }
}

TEST(UndoBackup, SecondBackupReplacesTheFirst) {
    core::Bitmap pic = reference::Noise(8, 8, 3);
    UndoBackup backup;
    ASSERT_TRUE(backup.Take(pic, 24, false, false).ok());
    InvertPixels(pic);
    const core::Bitmap afterFirst = pic;
    ASSERT_TRUE(backup.Take(pic, 24, false, false).ok());
    ColorLuts l = ColorLuts::Identity();
    SetBrightLUT(l, -127, 0);
    ColorFilterBitmap(pic, l);
    EXPECT_TRUE(Same(backup.Restore()->picture, afterFirst));
}

TEST(PackDIBStream, MovesPixelsDownToTheOffset) {
    core::Bitmap pic = Indexed8(5, 3);
    std::vector<std::uint8_t> file = PictureToDibFile(pic).value();
    const std::vector<std::uint8_t> packed = file;
    PackDIBStream(file); // already packed: unchanged
    EXPECT_EQ(file, packed);

    // A stream with 12 stray bytes between the colour table and the pixels.
    const std::uint32_t offset = core::ReadLE32(file.data() + 10);
    std::vector<std::uint8_t> gap(file.begin(), file.begin() + offset);
    gap.insert(gap.end(), 12, 0xEE);
    gap.insert(gap.end(), file.begin() + offset, file.end());
    core::WriteLE32(gap.data() + 14 + 32, 256);
    PackDIBStream(gap);
    ASSERT_EQ(gap.size(), file.size());
    EXPECT_EQ(core::ReadLE32(gap.data() + 14 + 32), 0u);
    EXPECT_TRUE(std::equal(gap.begin() + offset, gap.end(), file.begin() + offset));
    EXPECT_TRUE(Same(DibFileToPicture(gap).value(), pic));

    // Damaged headers are left alone instead of moving bytes out of bounds.
    std::vector<std::uint8_t> bad = file;
    core::WriteLE32(bad.data() + 10, 3);
    core::WriteLE32(bad.data() + 14 + 32, 0);
    bad.insert(bad.begin() + 1078, 4, 0);
    const auto badCopy = bad;
    PackDIBStream(bad);
    EXPECT_EQ(bad, badCopy);
    std::vector<std::uint8_t> tiny(20, 0);
    PackDIBStream(tiny);
    EXPECT_EQ(tiny.size(), 20u);
}

TEST(ConvertToDib, UpKeepsColoursDownUsesStandardPalette) {
    core::Bitmap pic = Indexed8(9, 4);
    pic.setDeviceDependent(true);
    const core::Bitmap orig = pic;
    ASSERT_TRUE(ConvertToDib(pic, 8).ok());
    EXPECT_FALSE(pic.deviceDependent());
    ASSERT_TRUE(ConvertToDib(pic, 24).ok());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(pic.rgb(x, y), orig.rgb(x, y));

    core::Bitmap mono = core::Bitmap::Create(10, 2, 1).value();
    mono.row(0)[0] = 0xA0;
    ASSERT_TRUE(ConvertToDib(mono, 4).ok());
    EXPECT_EQ(mono.bits(), 4);
    EXPECT_EQ(mono.pixel(0, 0), 1u);
    EXPECT_EQ(mono.pixel(1, 0), 0u);
    EXPECT_EQ(mono.rgb(0, 0), 0xFFFFFFu);

    // An indexed picture shown as 24 bits goes back to 8 bits without loss.
    core::Bitmap shown = Indexed8(9, 4);
    ASSERT_TRUE(ConvertToDib(shown, 24).ok());
    ASSERT_TRUE(ConvertToDib(shown, 8).ok());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(shown.rgb(x, y), orig.rgb(x, y));

    // More colours than 16: the nearest of the standard 16.
    core::Bitmap rgb = core::Bitmap::Create(20, 1, 24).value();
    for (int x = 0; x < 20; ++x)
        rgb.row(0)[3 * x + 1] = static_cast<std::uint8_t>(x);
    rgb.row(0)[2] = 250; // nearly pure red
    ASSERT_TRUE(ConvertToDib(rgb, 4).ok());
    EXPECT_EQ(rgb.rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(rgb.rgb(1, 0), 0u);
}
