// The imaging library's handle calls: page access, copies, DIB exchange and
// the status after failures.
#include "core/imageman/imageman.h"

#include "core/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace core::imageman;

namespace {
core::Bitmap Gradient(int w, int h) {
    auto bm = core::Bitmap::Create(w, h, 24).value();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = bm.row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x * 7);
            p[1] = static_cast<std::uint8_t>(y * 5);
            p[2] = static_cast<std::uint8_t>(x + y);
        }
    return bm;
}
} // namespace

TEST(ImageMan, BadHandlesFailWithAStatus) {
    ImgInit();
    std::int32_t n = 0;
    EXPECT_EQ(ImgPageCount(12345, &n), 0);
    EXPECT_EQ(ImgGetStatus(), IMG_BAD_HANDLE);
    EXPECT_FALSE(ImgErrorString().empty());
    EXPECT_EQ(ImgClose(0), 0);
    EXPECT_EQ(ImgOpenSolo("/nonexistent/file.pcx"), 0);
    EXPECT_EQ(ImgGetStatus(), IMG_FILE_ERROR);
    EXPECT_EQ(ImgOpenBytes({}, "empty.bmp"), 0);
    EXPECT_EQ(ImgOpenBytes({'x', 'y', 'z', 'w'}, "junk.xyz"), 0);
}

TEST(ImageMan, PictureHandlesCopyAndExchangeDibs) {
    ImgInit();
    const core::Bitmap src = Gradient(40, 30);
    const HIMAGE h = ImgFromBitmap(src);
    ASSERT_NE(h, 0);
    core::BitmapInfoHeader info;
    ASSERT_EQ(ImgGetInfoStruct(h, &info, nullptr), 1);
    EXPECT_EQ(info.biWidth, 40);
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biSizeImage, 120u * 30u);
    EXPECT_EQ(ImgSetPage(h, 1), 0); // one page only
    EXPECT_FALSE(ImgGetPalette(h).has_value());

    const Rect part{10, 10, 30, 20};
    const HIMAGE half = ImgCopy(h, 10, 5, &part, kCopyAverage4);
    ASSERT_NE(half, 0);
    core::Bitmap out;
    ASSERT_EQ(ImgPrintImage(half, &out), 1);
    EXPECT_EQ(out.width(), 10);
    EXPECT_EQ(out.height(), 5);
    // The top-left 2x2 block of the part, averaged.
    const int blue = (src.row(10)[30] + src.row(10)[33] + src.row(11)[30] + src.row(11)[33] + 2) / 4;
    EXPECT_EQ(out.row(0)[0], blue);
    EXPECT_EQ(ImgCopy(h, 0, 5, nullptr, kCopyAverage4), 0);
    EXPECT_EQ(ImgGetStatus(), IMG_BAD_ARGUMENT);

    const core::PackedDib dib = ImgGetDIB(h);
    ASSERT_EQ(dib.size(), 40u + 120u * 30u);
    const HIMAGE back = ImgFromDIB(dib);
    ASSERT_NE(back, 0);
    core::Bitmap again;
    ASSERT_EQ(ImgPrintImage(back, &again), 1);
    ASSERT_EQ(again.width(), 40);
    for (int y = 0; y < 30; ++y)
        EXPECT_EQ(0, std::memcmp(again.row(y), src.row(y), 120)) << y;
    for (HIMAGE x : {h, half, back}) EXPECT_EQ(ImgClose(x), 1);
    EXPECT_EQ(ImgClose(h), 0);
}
