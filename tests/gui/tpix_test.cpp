// The display control: paint lock, reduced and enlarged drawing.
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QCoreApplication>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

QImage Render(gui::TPix& pix) {
    QImage out(pix.size(), QImage::Format_RGB32);
    out.fill(Qt::magenta);
    pix.render(&out);
    return out;
}

} // namespace

TEST(TPix, PaintLockLeavesTheScreenAndUnlockAloneDoesNotPaint) {
    gui::TPix pix;
    pix.SetBitmap(guitest::Ramp(20, 20));
    pix.resize(20, 20);
    pix.show();
    QCoreApplication::processEvents();
    pix.SetPaintLock(true);
    const int before = pix.paintCount();
    pix.repaint();
    EXPECT_EQ(pix.paintCount(), before);
    pix.SetPaintLock(false);
    EXPECT_EQ(pix.paintCount(), before);
    pix.RefreshPicture();
    EXPECT_EQ(pix.paintCount(), before + 1);
    EXPECT_FALSE(pix.PaintLocked());
}

TEST(TPix, EnlargedShowsSharpPixels) {
    core::Bitmap b = core::Bitmap::Create(2, 1, 24).value();
    b.row(0)[2] = 255;     // left pixel red
    b.row(0)[3 + 0] = 255; // right pixel blue
    gui::TPix pix;
    pix.SetStretch(true);
    pix.SetBitmap(std::move(b));
    pix.resize(16, 8); // 800 %
    const QImage img = Render(pix);
    for (int x : {0, 3, 7}) EXPECT_EQ(img.pixel(x, 4), qRgb(255, 0, 0)) << x;
    for (int x : {8, 12, 15}) EXPECT_EQ(img.pixel(x, 4), qRgb(0, 0, 255)) << x;
}

TEST(TPix, ReducedOneBitPictureKeepsThinLines) {
    gui::TPix pix;
    pix.SetStretch(true);
    pix.SetBitmap(guitest::OneBitLines(200, 40)); // black columns at 5, 15, ...
    pix.resize(50, 10);                           // a quarter
    const QImage img = Render(pix);
    int dark = 0;
    for (int x = 0; x < 50; ++x) dark += qGray(img.pixel(x, 5)) < 40;
    EXPECT_EQ(dark, 20); // every line survives, black
}

TEST(TPix, ReducedPhotoIsAveraged) {
    // Alternating black and white columns reduce to gray, not to one of them.
    core::Bitmap b = core::Bitmap::Create(64, 8, 24).value();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 64; x += 2) std::fill(b.row(y) + 3 * x, b.row(y) + 3 * x + 3, 255);
    gui::TPix pix;
    pix.SetStretch(true);
    pix.SetBitmap(std::move(b));
    pix.resize(16, 2);
    const QImage img = Render(pix);
    EXPECT_NEAR(qGray(img.pixel(8, 1)), 128, 20);
}

TEST(TPix, CentredPictureLargerThanTheControlShowsItsMiddle) {
    gui::TPix pix;
    pix.SetCenter(true);
    core::Bitmap b = guitest::Ramp(40, 40);
    const std::uint32_t middle = b.rgb(20, 20);
    pix.SetBitmap(std::move(b));
    pix.resize(20, 20);
    const QImage img = Render(pix);
    EXPECT_EQ(img.pixel(10, 10) & 0xFFFFFF, middle);
}
